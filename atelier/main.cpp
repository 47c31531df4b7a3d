// trouvel-atelier: the pattern workbench window, run by `trouvel atelier SCRIPT [TITRE]` (the
// tool itself links no widgets, so the window is a program of its own).
#include "AtelierWindow.h"

#include "Arguments.h"
#include "HostProfile.h"
#include "TryCommand.h"

#include "common/QtTranslations.h"
#include "config/Script.h"
#include "ui/MessageBoxInteraction.h"

#include <QApplication>

#include <cstdio>

namespace {

constexpr char kUsage[] =
    "usage : trouvel atelier SCRIPT [TITRE] [--proxy HÔTE:PORT] [--timeout S] [--cookies FICHIER]\n"
    "  Ouvre l'atelier des motifs : les pages de recherche et de fiche d'un titre, chaque\n"
    "  correspondance du motif en cours d'écriture marquée, les candidats et les champs mis à\n"
    "  jour à chaque frappe ; « Enregistrer » écrit les motifs modifiés dans SCRIPT.\n";

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("trouvel-atelier"));
    trouvel::installQtFrenchTranslations();

    const QStringList args = QApplication::arguments().mid(1);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    trouvel::cli::Arguments arguments({QStringLiteral("proxy"), QStringLiteral("timeout"), QStringLiteral("cookies")}, {});
    if (!arguments.parse(args) || arguments.positional().isEmpty() || arguments.positional().size() > 2) {
        std::fprintf(stderr, "trouvel atelier : %s\n%s",
                     arguments.error().isEmpty() ? "SCRIPT attendu, suivi au plus d'un TITRE" : qPrintable(arguments.error()), kUsage);
        return 2;
    }
    const QString scriptFile = arguments.positional().at(0);
    if (const QString problem = trouvel::config::scriptFileProblem(scriptFile); !problem.isEmpty()) {
        std::fprintf(stderr, "trouvel atelier : script illisible : %s (%s)\n", qPrintable(scriptFile), qPrintable(problem));
        return 2;
    }
    trouvel::atelier::FetchSettings fetch;
    QString error;
    std::shared_ptr<trouvel::net::WebSession> checked;
    if (!trouvel::cli::networkOptionsFrom(arguments, &fetch.network, &error) || !trouvel::cli::webSessionFrom(arguments, &checked, &error)) {
        std::fprintf(stderr, "trouvel atelier : %s\n", qPrintable(error));
        return 2;
    }
    checked.reset();
    // The cookies file read again on the fetcher's thread, which the session belongs to.
    fetch.makeWeb = [arguments] {
        std::shared_ptr<trouvel::net::WebSession> web;
        QString ignored;
        trouvel::cli::webSessionFrom(arguments, &web, &ignored);
        return web;
    };

    trouvel::ui::MessageBoxInteraction ui;
    trouvel::atelier::AtelierWindow window(scriptFile, ui, fetch);
    window.show();
    if (arguments.positional().size() == 2)
        window.search(arguments.positional().at(1));
    else
        window.findChild<QWidget*>(QStringLiteral("titre"))->setFocus();
    return app.exec();
}
