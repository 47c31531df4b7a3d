// trouvel: the wizard's steps from the command line (try one title, or fill a catalogue).
#include "BatchCommand.h"
#include "CheckCommand.h"
#include "CliText.h"
#include "RecordCommand.h"
#include "TryCommand.h"
#include "common/QtTranslations.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    // Under a file size limit (ulimit -f) a write past it fails and is reported, rather than
    // the kernel stopping the tool half-way through a batch.
    std::signal(SIGXFSZ, SIG_IGN);
    // No graphical application object: pictures decode with QImageReader all the same, and
    // a display platform (fonts, screens) would cost more than the rest of `try`.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trouvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TROUVEL_VERSION));
    // Socket and TLS errors reach the user inside French messages.
    trouvel::installQtFrenchTranslations();

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        std::fputs(trouvel::cli::kUsage, stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(trouvel::cli::kUsage, stdout);
        std::fputs("\n", stdout);
        std::fputs(trouvel::cli::kHelp, stdout);
        return 0;
    }
    if (command == QLatin1String("--version")) {
        std::printf("trouvel %s\n", TROUVEL_VERSION);
        return 0;
    }
    if (args.contains(QLatin1String("--help"))) {
        std::fputs(trouvel::cli::kHelp, stdout);
        return 0;
    }
    if (command == QLatin1String("try"))
        return trouvel::cli::runTry(args);
    if (command == QLatin1String("batch"))
        return trouvel::cli::runBatch(args);
    if (command == QLatin1String("record"))
        return trouvel::cli::runRecord(args);
    if (command == QLatin1String("check"))
        return trouvel::cli::runCheck(args);
    std::fprintf(stderr, "trouvel : commande inconnue : %s\n%s", qPrintable(command), trouvel::cli::kUsage);
    return 2;
}
