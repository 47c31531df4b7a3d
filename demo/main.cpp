// trouvel-demo-site: the demo film site on a loopback port, for trying Trouvel offline.
#include "site/DemoSite.h"
#include "common/QtTranslations.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <exception>

using namespace trouvel::demo;

int main(int argc, char* argv[])
{
    // Posters are painted with fonts, which need a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("trouvel-demo-site"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TROUVEL_VERSION));
    // The help's own lines (usage, --help, --version) in French, as the rest.
    trouvel::installQtFrenchTranslations();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Site de films de démonstration pour Trouvel (boucle locale uniquement)."));
    // Qt's own help option describes itself in English only.
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Affiche cette aide et quitte."));
    parser.addOption(helpOption);
    parser.addVersionOption();
    QCommandLineOption portOption(QStringLiteral("port"),
                                  QStringLiteral("Port d'écoute sur 127.0.0.1 (%1 par défaut ; 0 : un port libre).").arg(kDefaultPort),
                                  QStringLiteral("N"), QString::number(kDefaultPort));
    QCommandLineOption dataOption(QStringLiteral("data"), QStringLiteral("Fichier de films JSON à servir à la place des films fournis."),
                                  QStringLiteral("FICHIER"));
    QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("Écrit une ligne par requête sur la sortie d'erreur."));
    parser.addOptions({portOption, dataOption, logOption});
    parser.process(app);
    if (parser.isSet(helpOption))
        parser.showHelp(0);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "trouvel-demo-site: port invalide : %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }

    FilmCatalogue catalogue;
    try {
        catalogue = parser.isSet(dataOption) ? loadFilmCatalogue(parser.value(dataOption)) : bundledFilmCatalogue();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trouvel-demo-site: %s\n", e.what());
        return 1;
    }

    DemoSite site(std::move(catalogue));
    SiteOptions options;
    options.port = quint16(port);
    if (!site.listen(options)) {
        std::fprintf(stderr, "trouvel-demo-site: impossible d'écouter sur 127.0.0.1:%u : %s\n", port, qPrintable(site.errorString()));
        return 1;
    }
    if (parser.isSet(logOption)) {
        QObject::connect(&site, &DemoSite::requestServed, [](const QByteArray& method, const QByteArray& target, int status) {
            std::fprintf(stderr, "%d %s %s\n", status, method.constData(), target.constData());
        });
    }
    std::printf("listening on %s/\n", qPrintable(site.baseUrl()));
    std::fflush(stdout);
    return app.exec();
}
