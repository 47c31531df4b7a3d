// trouvel: the wizard's steps from the command line (try one title, or fill a catalogue).
#include "AtelierCommand.h"
#include "BatchCommand.h"
#include "CheckCommand.h"
#include "CliText.h"
#include "DemoCommand.h"
#include "LintCommand.h"
#include "PictureModule.h"
#include "RecordCommand.h"
#include "ScriptFolders.h"
#include "TryCommand.h"
#include "common/QtTranslations.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Whether the command line runs a command that may meet pictures (not its --help).
bool mayDecodePictures(int argc, char* argv[])
{
    if (argc < 2)
        return false;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0)
            return false;
    for (const char* name : {"try", "batch", "record", "check"})
        if (std::strcmp(argv[1], name) == 0)
            return true;
    return false;
}

} // namespace

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
    // A command that may meet pictures starts loading their decoder now, beside the rest of
    // its start and its first page fetches; the first picture waits for it.
    // Otherwise the decoder stays empty, and a session that meets a picture loads it itself.
    std::unique_ptr<trouvel::cli::PictureModule> pictures;
    trouvel::picture::PictureDecode decodePicture;
    if (mayDecodePictures(argc, argv)) {
        pictures = std::make_unique<trouvel::cli::PictureModule>(trouvel::cli::PictureModule::besideProgram());
        decodePicture = pictures->decoder();
    }
    // Socket and TLS errors reach the user inside French messages.
    trouvel::installQtFrenchTranslations();

    // The options before the command are the tool's own; what follows the command is the
    // command's, read by the command itself.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    parser.addOptions({helpOption, versionOption});
    const bool parsed = parser.parse(QCoreApplication::arguments());
    QStringList args = parser.positionalArguments();
    if (!parsed) {
        std::fprintf(stderr, "trouvel : commande inconnue : %s\n%s", qPrintable(QCoreApplication::arguments().at(1)), trouvel::cli::kUsage);
        return 2;
    }
    if (parser.isSet(helpOption) || args.value(0) == QLatin1String("help")) {
        std::fputs(trouvel::cli::kUsage, stdout);
        std::fputs("\n", stdout);
        std::fputs(trouvel::cli::kHelp, stdout);
        std::fputs(qPrintable(trouvel::cli::scriptFoldersHelp(QCoreApplication::applicationDirPath())), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("trouvel %s\n", TROUVEL_VERSION);
        return 0;
    }
    if (args.isEmpty()) {
        std::fputs(trouvel::cli::kUsage, stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    if (args.contains(QLatin1String("--help"))) {
        std::fputs(trouvel::cli::kHelp, stdout);
        return 0;
    }
    if (command == QLatin1String("try"))
        return trouvel::cli::runTry(args, decodePicture);
    if (command == QLatin1String("batch"))
        return trouvel::cli::runBatch(args, decodePicture);
    if (command == QLatin1String("record"))
        return trouvel::cli::runRecord(args, decodePicture);
    if (command == QLatin1String("check"))
        return trouvel::cli::runCheck(args, decodePicture);
    if (command == QLatin1String("lint"))
        return trouvel::cli::runLint(args);
    if (command == QLatin1String("demo"))
        return trouvel::cli::runDemo(args);
    if (command == QLatin1String("atelier"))
        return trouvel::cli::runAtelier(args);
    std::fprintf(stderr, "trouvel : commande inconnue : %s\n%s", qPrintable(command), trouvel::cli::kUsage);
    return 2;
}
