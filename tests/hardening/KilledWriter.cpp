// A writer that the no-lost-data test kills at random points: it rewrites one file again and
// again, alternating between two complete versions, and says "ready" once the first write is
// through. Usage: hardening_writer ini|catalogue|picture FILE [SOURCE_A SOURCE_B]
#include "KilledWriterContents.h"

#include "catalogue/CatalogueFile.h"
#include "config/IniFile.h"
#include "wizard/PictureStore.h"

#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>
#include <functional>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    using namespace trouvel::hardening;

    // Declared here so that the writing functions below can keep references to them.
    cadrelle::Catalogue versions[2];
    QString sources[2];
    std::function<bool(int)> write;
    if (mode == QLatin1String("ini")) {
        write = [&](int version) {
            return trouvel::config::WriteIniString(file, QStringLiteral("S"), QStringLiteral("k"), iniValue(version));
        };
    } else if (mode == QLatin1String("catalogue")) {
        versions[0] = catalogueVersion(0);
        versions[1] = catalogueVersion(1);
        write = [&](int version) { return cadrelle::saveCatalogue(file, versions[version]).isEmpty(); };
    } else if (mode == QLatin1String("picture") && argc == 5) {
        sources[0] = QString::fromLocal8Bit(argv[3]);
        sources[1] = QString::fromLocal8Bit(argv[4]);
        write = [&, target = QFileInfo(file)](int version) {
            return trouvel::wizard::storePicture(sources[version], target.path(), target.fileName()).isEmpty();
        };
    } else {
        return 2;
    }

    for (long round = 0;; ++round) {
        if (!write(int(round % 2))) {
            std::fputs("write failed\n", stderr);
            return 1;
        }
        if (round == 0) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
}
