#include "RecordCommand.h"

#include "Arguments.h"
#include "CliText.h"
#include "Fixture.h"
#include "FixtureRun.h"
#include "LintCommand.h"
#include "ScriptFolders.h"
#include "TryCommand.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace trouvel::cli {

int runRecord(const QStringList& args, const picture::PictureDecode& decodePicture)
{
    Arguments arguments({QStringLiteral("pick"), QStringLiteral("to"), QStringLiteral("proxy"), QStringLiteral("timeout"), QStringLiteral("cookies")},
                        {QStringLiteral("yes"), QStringLiteral("no")});
    if (!arguments.parse(args) || arguments.positional().size() != 2) {
        std::fprintf(stderr, "trouvel record : %s\n%s", arguments.error().isEmpty() ? "SCRIPT et TITRE attendus" : qPrintable(arguments.error()), kUsage);
        return 2;
    }
    QString problem;
    const QString scriptFile = findScript(arguments.positional().at(0), QCoreApplication::applicationDirPath(), &problem);
    const QString title = arguments.positional().at(1);
    QList<int> picks;
    for (const QString& value : arguments.values(QStringLiteral("pick"))) {
        const std::optional<int> pick = parsePick(value);
        if (!pick) {
            std::fprintf(stderr, "trouvel record : --pick attend un numéro de candidat à partir de 1\n");
            return 2;
        }
        picks << *pick;
    }
    if (picks.isEmpty())
        picks << 0;
    if (scriptFile.isEmpty()) {
        std::fprintf(stderr, "trouvel record : %s\n", qPrintable(problem));
        return 2;
    }
    std::optional<SessionOptions> options = sessionOptionsFrom(arguments, "record", decodePicture);
    if (!options)
        return 2;
    options->scriptFile = scriptFile;
    warnAboutScript(scriptFile, "record");
    const QString root = arguments.isSet(QStringLiteral("to")) ? arguments.value(QStringLiteral("to")) : defaultFixtureRoot(scriptFile);

    int status = 0;
    for (const int pick : picks) {
        QString error;
        const std::optional<Fixture> fixture = recordTitle(*options, title, pick, &error);
        if (!fixture) {
            std::fprintf(stderr, "trouvel record : %s\n", qPrintable(error));
            status = std::max(status, 1);
            continue;
        }
        const QString folder = QDir(root).filePath(fixtureFolderName(title, pick));
        if (const QString saveError = saveFixture(*fixture, folder); !saveError.isEmpty()) {
            std::fprintf(stderr, "trouvel record : %s\n", qPrintable(saveError));
            status = std::max(status, 1);
            continue;
        }
        std::size_t hops = 0;
        for (const RecordedPage& page : fixture->pages)
            hops += page.hops.size();
        std::printf("%s : %d page(s), %d réponse(s)%s\n", qPrintable(QDir::toNativeSeparators(folder)), int(fixture->pages.size()), int(hops),
                    fixture->picture && fixture->picture->stored ? ", image" : "");
    }
    return status;
}

} // namespace trouvel::cli
