// cadrelle [CATALOGUE.csv]: the reference catalogue host of Trouvel.
#include "MainWindow.h"
#include "common/QtTranslations.h"
#include "pluginhost/PluginFolders.h"
#include "pluginhost/PluginModule.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("cadrelle"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cadrelle"));
    trouvel::installQtFrenchTranslations();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Catalogue de films, complété par ses modules"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("catalogue"), QStringLiteral("Catalogue (fichier CSV) à ouvrir"),
                                 QStringLiteral("[CATALOGUE.csv]"));
    const QCommandLineOption listPlugins(QStringLiteral("list-plugins"),
                                         QStringLiteral("Affiche les modules trouvés et quitte"));
    parser.addOption(listPlugins);
    parser.process(app);

    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir().mkpath(configFolder);
    const QString profileFile = configFolder + QStringLiteral("/Cadrelle.ini");

    const QStringList modules = cadrelle::findPluginModules(cadrelle::pluginRoots(QApplication::applicationDirPath()));
    if (parser.isSet(listPlugins)) {
        int failures = 0;
        for (const QString& path : modules) {
            QString error;
            if (const auto module = cadrelle::PluginModule::load(path, error)) {
                std::printf("%s\t%s %s\n", qPrintable(path), qPrintable(module->info().name),
                            qPrintable(module->info().version));
            } else {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                ++failures;
            }
        }
        return failures == 0 ? 0 : 1;
    }
    cadrelle::MainWindow window(profileFile, modules);
    window.show();
    const QStringList args = parser.positionalArguments();
    if (!args.isEmpty())
        window.openCatalogue(args.first());
    return QApplication::exec();
}
