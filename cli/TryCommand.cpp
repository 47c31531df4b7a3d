#include "TryCommand.h"

#include "Arguments.h"
#include "CliText.h"
#include "HostProfile.h"
#include "JsonText.h"
#include "LintCommand.h"
#include "PatternExplain.h"
#include "ScriptFolders.h"
#include "WizardSession.h"

#include "common/WholeFile.h"
#include "text/TerminalText.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace trouvel::cli {

namespace {

void print(std::FILE* to, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

QString stepJson(const StepReport& step)
{
    QString redirects;
    for (const net::RedirectHop& hop : step.redirects) {
        if (!redirects.isEmpty())
            redirects += QStringLiteral(", ");
        redirects += QStringLiteral("{\"status\": %1, \"to\": %2}").arg(hop.status).arg(jsonString(hop.to));
    }
    return QStringLiteral("\"address\": %1, \"code\": %2, \"status\": %3, \"http\": %4, \"redirects\": [%5], \"final\": %6")
        .arg(jsonString(step.address))
        .arg(step.code)
        .arg(jsonString(step.status))
        .arg(step.http.code)
        .arg(redirects, jsonString(step.finalAddress.isEmpty() ? step.address : step.finalAddress));
}

QString stepText(const QString& label, const StepReport& step)
{
    QString http = step.http.code ? QStringLiteral(", HTTP %1 %2").arg(step.http.code).arg(step.http.reason).trimmed()
                                  : QString();
    QString out = QStringLiteral("%1 : %2\n").arg(label, step.address);
    if (!step.sentLine.isEmpty()) {
        out += QStringLiteral("  envoyé : %1\n").arg(step.sentLine);
        if (step.sentAddress != step.address)
            out += QStringLiteral("  adresse envoyée : %1\n").arg(step.sentAddress);
        if (!step.sentBody.isEmpty())
            out += QStringLiteral("  corps envoyé : %1\n").arg(step.sentBody);
    }
    for (const net::RedirectHop& hop : step.redirects)
        out += QStringLiteral("  redirection %1 → %2\n").arg(QStringLiteral("%1 %2").arg(hop.status).arg(hop.reason).trimmed(), hop.to);
    if (!step.redirects.empty())
        out += QStringLiteral("  adresse finale : %1\n").arg(step.finalAddress);
    return out + QStringLiteral("  code %1%2 ; état : %3\n").arg(step.code).arg(http, step.status);
}

// Where try leaves the downloaded picture, so that its path stays valid after the run.
QString keptPictureFolder()
{
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)).filePath(QStringLiteral("trouvel"));
    QDir().mkpath(folder);
    return folder;
}

} // namespace

QString tryReportJson(const TryReport& report)
{
    QString out = QStringLiteral("{\"search\": {") + stepJson(report.search) + QStringLiteral(", \"resent_in\": ")
                  + (report.resentIn.isEmpty() ? QStringLiteral("null") : jsonString(report.resentIn))
                  + QStringLiteral(", \"direct_hit\": ") + (report.directHit ? QStringLiteral("true") : QStringLiteral("false"))
                  + QStringLiteral(", \"candidates\": [");
    for (std::size_t i = 0; i < report.candidates.size(); ++i) {
        const wizard::Candidate& c = report.candidates[i];
        if (i)
            out += QStringLiteral(", ");
        out += QStringLiteral("{\"link\": %1, \"desc1\": %2, \"desc2\": %3}").arg(jsonString(c.link), jsonString(c.desc1), jsonString(c.desc2));
    }
    out += QStringLiteral("]}, \"detail\": ");
    if (!report.detailRan) {
        out += QStringLiteral("null}");
        return out;
    }
    out += QStringLiteral("{") + stepJson(report.detail) + QStringLiteral(", \"fields\": [");
    for (std::size_t i = 0; i < report.fields.size(); ++i) {
        const wizard::FieldResult& f = report.fields[i];
        if (i)
            out += QStringLiteral(", ");
        out += QStringLiteral("{\"name\": %1, \"value\": %2, \"ticked\": %3}")
                   .arg(jsonString(f.name), jsonString(f.value), f.ticked ? QStringLiteral("true") : QStringLiteral("false"));
    }
    out += QStringLiteral("], \"picture\": {\"address\": %1, \"file\": %2, \"stored_from\": %3}}}")
               .arg(jsonString(report.pictureAddress), jsonString(report.pictureFile),
                    report.pictureStoredFrom.isEmpty() ? QStringLiteral("null") : jsonString(report.pictureStoredFrom));
    return out;
}

QString tryReportText(const TryReport& report)
{
    QString out = stepText(QStringLiteral("Recherche"), report.search);
    if (!report.resentIn.isEmpty())
        out += QStringLiteral("  envoyée une seconde fois, le titre en %1 : en UTF-8, le site n'avait rien trouvé\n").arg(report.resentIn);
    if (report.directHit)
        out += QStringLiteral("  la recherche a mené droit à la fiche du film : elle est lue telle quelle, sans nouveau téléchargement\n");
    if (!report.candidatesError.isEmpty())
        out += QStringLiteral("  motif de recherche en erreur : %1\n").arg(report.candidatesError);
    out += QStringLiteral("  %1 candidat(s)\n").arg(report.candidates.size());
    int n = 0;
    for (const wizard::Candidate& c : report.candidates)
        out += QStringLiteral("  %1. [%2] %3 | %4\n").arg(++n).arg(c.link, c.desc1, c.desc2);
    if (!report.detailRan) {
        if (report.candidates.size() > 1)
            out += QStringLiteral("Plusieurs candidats : --pick N pour en ouvrir un.\n");
        return out;
    }
    out += stepText(QStringLiteral("Fiche"), report.detail);
    if (report.detailReused)
        out += QStringLiteral("  (la page de la recherche, sans nouveau téléchargement)\n");
    for (const wizard::FieldResult& f : report.fields) {
        out += QStringLiteral("  [%1] %2 : %3\n").arg(f.ticked ? QLatin1Char('x') : QLatin1Char(' ')).arg(f.name, f.value);
        if (!f.why.isEmpty())
            out += QStringLiteral("      motif : %1\n").arg(f.why);
    }
    if (!report.pictureError.isEmpty())
        out += QStringLiteral("  image en erreur : %1\n").arg(report.pictureError);
    out += QStringLiteral("Image : %1\n").arg(report.pictureAddress.isEmpty() ? QStringLiteral("(aucune adresse)") : report.pictureAddress);
    if (report.pictureFetched)
        out += QStringLiteral("  téléchargement : %1\n")
                   .arg(!report.pictureResult.isEmpty()      ? report.pictureResult
                        : report.pictureStoredFrom.isEmpty() ? QStringLiteral("reçue")
                                                             : QStringLiteral("reçue en %1, enregistrée en JPEG").arg(report.pictureStoredFrom));
    out += QStringLiteral("  fichier : %1\n").arg(report.pictureFile.isEmpty() ? QStringLiteral("(aucun)") : report.pictureFile);
    return out;
}

namespace {

StepReport stepReport(const wizard::PageResult& page, const QString& status)
{
    StepReport step;
    step.address = page.address;
    step.code = page.code;
    // A fetch that failed outright, or stopped with a code, has no status to show.
    if (page.code == 0 && page.failure.isEmpty())
        step.http = HttpStatus{page.report.status, page.report.reason};
    step.redirects = page.report.redirects;
    step.finalAddress = page.report.finalAddress;
    step.status = status;
    return step;
}

// What the picture field of try shows as its error: the last one the step met.
QString pictureErrorOf(const wizard::PictureResult& picture)
{
    if (!picture.fetchFailure.isEmpty())
        return picture.fetchFailure;
    if (!picture.unreadable.isEmpty())
        return picture.unreadable;
    return picture.addressError;
}

// The address a hop's request line names, as encoded: through no proxy the line holds the
// path alone, under the hop's own scheme and host.
QString sentAddress(const net::WireExchange& hop)
{
    const QList<QByteArray> parts = hop.request.left(hop.request.indexOf("\r\n")).split(' ');
    const QString target = text::escapeControls(parts.size() >= 2 ? QString::fromUtf8(parts[1]) : QString());
    if (!target.startsWith(QLatin1Char('/')))
        return target;
    const QUrl url(hop.address);
    return url.scheme() + QStringLiteral("://") + url.authority(QUrl::FullyEncoded) + target;
}

// The first hop of the last fetch of step's address, as it went on the wire.
void readSent(StepReport& step, const std::vector<PageFetch>& fetches)
{
    const auto fetch = std::find_if(fetches.rbegin(), fetches.rend(), [&step](const PageFetch& f) { return f.address == step.address; });
    if (fetch == fetches.rend() || fetch->wire.empty())
        return;
    const QByteArray& request = fetch->wire.front().request;
    step.sentLine = text::escapeControls(QString::fromUtf8(request.left(request.indexOf("\r\n"))));
    step.sentAddress = sentAddress(fetch->wire.front());
    if (const qsizetype end = request.indexOf("\r\n\r\n"); end >= 0)
        step.sentBody = text::escapeControls(QString::fromUtf8(request.mid(end + 4)));
}

// Every hop of every page fetch as a file of folder: "pageN-hopM.html", the last hop of a
// fetch as the steps read it (the stored page), a redirect as it came. What was written, one
// line each (and what could not be).
QString savePages(const std::vector<PageFetch>& fetches, const QString& folder)
{
    QString out;
    const auto save = [&](const QString& name, const QByteArray& bytes, const QString& address) {
        const QString path = QDir(folder).filePath(name);
        const QString error = writeWholeFile(path, bytes);
        out += error.isEmpty() ? QStringLiteral("page enregistrée : %1 (%2)\n").arg(path, address)
                               : QStringLiteral("page non enregistrée : %1 : %2\n").arg(path, error);
    };
    for (std::size_t n = 0; n < fetches.size(); ++n) {
        const PageFetch& fetch = fetches[n];
        const std::size_t hops = std::max<std::size_t>(fetch.wire.size(), 1);
        for (std::size_t m = 0; m < hops; ++m) {
            const bool last = m + 1 == hops;
            const QString address = m < fetch.wire.size() ? sentAddress(fetch.wire[m]) : fetch.address;
            const QByteArray bytes = last ? fetch.page : fetch.wire[m].response;
            save(QStringLiteral("page%1-hop%2.html").arg(n + 1).arg(m + 1), bytes, address);
        }
    }
    return out;
}

void readDetail(const wizard::DetailResult& detail, TryReport& report)
{
    report.detailRan = true;
    report.detail = stepReport(*detail.page, detail.status);
    report.fields = detail.fields;
    report.detailReused = detail.reusedSearchPage;
    if (detail.picture) {
        report.pictureError = pictureErrorOf(*detail.picture);
        report.pictureFetched = detail.picture->fetched;
        if (detail.picture->fetched) {
            report.pictureAddress = detail.picture->address;
            report.pictureResult = detail.picture->fetchFailure;
            report.pictureStoredFrom = detail.picture->storedFrom;
        }
    }
}

} // namespace

TitleRun runTitle(const SessionOptions& options, const QString& title, int pick, const QString& keepPictureAs)
{
    TitleRun run;
    std::unique_ptr<WizardSession> session;
    try {
        session = std::make_unique<WizardSession>(options);
    } catch (const std::exception& e) {
        run.error = QString::fromUtf8(e.what());
        run.exitStatus = 2;
        return run;
    }

    // A one-entry catalogue whose entry is the title: the wizard searches its text.
    cadrelle::Catalogue catalogue;
    catalogue.addColumn(QStringLiteral("Titre"));
    catalogue.addEntry({title});
    auto host = std::make_shared<cadrelle::CatalogueHost>(catalogue, session->scratchFolder(), defaultCadrelleIni());
    host->setSelectedRows({0});

    TryReport& report = run.report;
    try {
        if (!session->start(host)) {
            run.error = QStringLiteral("l'assistant n'a pas démarré");
            run.exitStatus = 1;
            return run;
        }
    } catch (const std::exception& e) {
        run.error = QString::fromUtf8(e.what());
        run.exitStatus = 1;
        return run;
    }
    wizard::WizardEngine& engine = session->engine();
    if (!engine.scriptLoadError().isEmpty()) {
        // Shown already as the wizard's message; nothing is fetched with a script that did not load.
        run.error = engine.scriptLoadError();
        run.errorShown = !options.quietMessages;
        run.exitStatus = 2;
        return run;
    }
    run.stepsRan = true;

    // The search hands over to the detail step itself when it lists one candidate.
    engine.search();
    const wizard::EntrySteps& steps = engine.steps();
    if (steps.search) {
        report.candidates = steps.search->candidates;
        report.candidatesError = steps.search->patternError;
        report.resentIn = steps.search->resentIn;
        report.directHit = steps.search->directHit;
        if (steps.search->page)
            report.search = stepReport(*steps.search->page, steps.search->status);
        else
            report.search.status = steps.search->status;
    }
    if (!steps.detail && pick > 0 && report.candidates.size() > 1) {
        if (pick > int(report.candidates.size())) {
            run.error = QStringLiteral("--pick %1, mais la recherche n'a donné que %2 candidat(s)").arg(pick).arg(report.candidates.size());
            run.exitStatus = 2;
        } else {
            session->model().setSelectedCandidate(pick - 1);
            engine.fetchDetails();
        }
    }
    if (steps.detail && steps.detail->page) {
        readDetail(*steps.detail, report);
        if (QFileInfo::exists(engine.pictureFile()) && !keepPictureAs.isEmpty()) {
            // A cache copy to look at: replaced whole, not synced.
            if (linkOrCopyWholeFile(engine.pictureFile(), keepPictureAs, Sync::Deferred).isEmpty())
                report.pictureFile = keepPictureAs;
        }
    }
    run.fetches = session->pageFetches();
    run.pictures = session->pictureFetches();
    readSent(report.search, run.fetches);
    if (report.detailRan)
        readSent(report.detail, run.fetches);
    // A page or picture that did not come is a failed run; no candidate, or several, is not.
    const wizard::EntryOutcome outcome = wizard::outcomeOf(steps);
    if (run.exitStatus == 0
        && (outcome.kind == wizard::EntryOutcome::Kind::Failed
            || (outcome.kind == wizard::EntryOutcome::Kind::Filled && outcome.stage == wizard::kStagePicture)))
        run.exitStatus = 1;
    session->finish();
    return run;
}

std::optional<int> parsePick(const QString& text)
{
    bool ok = false;
    const int pick = text.toInt(&ok);
    if (!ok || pick < 1)
        return std::nullopt;
    return pick;
}

std::optional<SessionOptions> sessionOptionsFrom(const Arguments& arguments, const char* command,
                                                const picture::PictureDecode& decodePicture)
{
    SessionOptions options;
    options.decodePicture = decodePicture;
    options.yesNoAnswer = arguments.isSet(QStringLiteral("no")) ? MsgAnswer::No : MsgAnswer::Yes;
    QString error;
    if (!networkOptionsFrom(arguments, &options.network, &error) || !webSessionFrom(arguments, &options.web, &error)) {
        std::fprintf(stderr, "trouvel %s : %s\n", command, qPrintable(error));
        return std::nullopt;
    }
    return options;
}

int runTry(const QStringList& args, const picture::PictureDecode& decodePicture)
{
    Arguments arguments({QStringLiteral("pick"), QStringLiteral("proxy"), QStringLiteral("timeout"), QStringLiteral("cookies"),
                         QStringLiteral("save-pages")},
                        {QStringLiteral("json"), QStringLiteral("explain"), QStringLiteral("yes"), QStringLiteral("no")});
    if (!arguments.parse(args) || arguments.positional().size() != 2) {
        std::fprintf(stderr, "trouvel try : %s\n%s", arguments.error().isEmpty() ? "SCRIPT et TITRE attendus" : qPrintable(arguments.error()), kUsage);
        return 2;
    }
    int pick = 0;
    if (arguments.isSet(QStringLiteral("pick"))) {
        const std::optional<int> picked = parsePick(arguments.value(QStringLiteral("pick")));
        if (!picked) {
            std::fprintf(stderr, "trouvel try : --pick attend un numéro de candidat à partir de 1\n");
            return 2;
        }
        pick = *picked;
    }
    QString problem;
    const QString scriptFile = findScript(arguments.positional().at(0), QCoreApplication::applicationDirPath(), &problem);
    const QString title = arguments.positional().at(1);
    if (scriptFile.isEmpty()) {
        std::fprintf(stderr, "trouvel try : %s\n", qPrintable(problem));
        return 2;
    }
    const bool json = arguments.isSet(QStringLiteral("json"));
    if (json && arguments.isSet(QStringLiteral("explain"))) {
        std::fprintf(stderr, "trouvel try : --explain s'affiche en texte, pas avec --json\n");
        return 2;
    }
    std::optional<SessionOptions> options = sessionOptionsFrom(arguments, "try", decodePicture);
    if (!options)
        return 2;
    options->scriptFile = scriptFile;
    options->keepWire = true; // what was sent is shown
    const QString pagesFolder = arguments.value(QStringLiteral("save-pages"));
    if (!pagesFolder.isEmpty() && !QDir().mkpath(pagesFolder)) {
        std::fprintf(stderr, "trouvel try : --save-pages : impossible de créer le dossier %s\n", qPrintable(pagesFolder));
        return 2;
    }
    warnAboutScript(scriptFile, "try");

    const TitleRun run = runTitle(*options, title, pick, QDir(keptPictureFolder()).filePath(QStringLiteral("image.jpg")));
    if (!run.error.isEmpty() && !run.errorShown)
        std::fprintf(stderr, "trouvel try : %s\n", qPrintable(run.error));
    if (!run.stepsRan)
        return run.exitStatus;

    QString out = json ? tryReportJson(run.report) + QLatin1Char('\n') : tryReportText(run.report);
    if (arguments.isSet(QStringLiteral("explain")))
        out += explainPatterns(scriptFile, run.fetches, run.report.detailRan);
    if (!pagesFolder.isEmpty()) {
        // Beside a JSON object on standard output, the files are named on standard error.
        const QString saved = savePages(run.fetches, pagesFolder);
        if (json)
            print(stderr, saved);
        else
            out += saved;
    }
    print(stdout, out);
    std::fflush(stdout);
    return run.exitStatus;
}

} // namespace trouvel::cli
