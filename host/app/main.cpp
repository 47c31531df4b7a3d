// cadrelle [CATALOGUE.csv]: the reference catalogue host of Trouvel.
#include "MainWindow.h"
#include "pluginhost/PluginFolders.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("cadrelle"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cadrelle"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Catalogue de films, complété par ses modules"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("catalogue"), QStringLiteral("Catalogue (fichier CSV) à ouvrir"),
                                 QStringLiteral("[CATALOGUE.csv]"));
    parser.process(app);

    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir().mkpath(configFolder);
    const QString profileFile = configFolder + QStringLiteral("/Cadrelle.ini");

    const QStringList modules = cadrelle::findPluginModules(cadrelle::pluginRoots(QApplication::applicationDirPath()));
    cadrelle::MainWindow window(profileFile, modules);
    window.show();
    const QStringList args = parser.positionalArguments();
    if (!args.isEmpty())
        window.openCatalogue(args.first());
    return QApplication::exec();
}
