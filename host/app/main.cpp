// cadrelle [CATALOGUE.csv]: the reference catalogue host of Trouvel.
#include "MainWindow.h"
#include "common/QtTranslations.h"
#include "pluginhost/PluginFolders.h"
#include "pluginhost/PluginList.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

namespace {

const QCommandLineOption kListPlugins(QStringLiteral("list-plugins"), QStringLiteral("Affiche les modules trouvés et quitte"));
const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                               QStringLiteral("Affiche cette aide et quitte"));

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Catalogue de films, complété par ses modules"));
    parser.addOption(kHelp);
    parser.addPositionalArgument(QStringLiteral("catalogue"), QStringLiteral("Catalogue (fichier CSV) à ouvrir"),
                                 QStringLiteral("[CATALOGUE.csv]"));
    parser.addOption(kListPlugins);
}

// --help and --list-plugins print and quit: they run without a display.
bool printsOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--list-plugins")
            return true;
    }
    return false;
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("cadrelle"));
    trouvel::installQtFrenchTranslations();
}

QStringList pluginModules()
{
    return cadrelle::findPluginModules(cadrelle::pluginRoots(QCoreApplication::applicationDirPath()));
}

int listPlugins()
{
    const cadrelle::LoadedPlugins loaded = cadrelle::loadPlugins(pluginModules());
    for (const auto& module : loaded.modules)
        std::printf("%s\t%s %s\n", qPrintable(module->path()), qPrintable(module->info().name), qPrintable(module->info().version));
    // A copy of a plug-in is not an error: it is only said why it is not listed.
    for (const QString& duplicate : loaded.duplicates)
        std::fprintf(stderr, "cadrelle : module ignoré, %s\n", qPrintable(duplicate));
    for (const QString& error : loaded.errors)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return loaded.errors.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (printsOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        describe(parser);
        parser.process(app);
        if (parser.isSet(kHelp))
            parser.showHelp(0);
        return listPlugins();
    }

    QApplication app(argc, argv);
    nameApplication();
    QApplication::setApplicationDisplayName(QStringLiteral("Cadrelle"));
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);

    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir().mkpath(configFolder);
    const QString profileFile = configFolder + QStringLiteral("/Cadrelle.ini");

    cadrelle::MainWindow window(profileFile, pluginModules());
    window.show();
    const QStringList args = parser.positionalArguments();
    if (!args.isEmpty())
        window.openCatalogue(args.first());
    return QApplication::exec();
}
