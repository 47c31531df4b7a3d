#include "BatchCommand.h"

#include "Arguments.h"
#include "AskCandidate.h"
#include "BatchJournal.h"
#include "BatchReport.h"
#include "CliText.h"
#include "HostProfile.h"
#include "Interrupt.h"
#include "Progress.h"
#include "RetryPolicy.h"
#include "TerminalText.h"
#include "WizardSession.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/CatalogueHost.h"
#include "common/WholeFile.h"
#include "config/IniFile.h"
#include "config/MappingCaptions.h"
#include "config/MappingFile.h"
#include "config/ScriptFile.h"
#include "config/Script.h"
#include "pluginhost/PluginFolders.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace trouvel::cli {

namespace {

void printOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int fail(const QString& message, int status = 2)
{
    std::fprintf(stderr, "trouvel batch : %s\n", message.toUtf8().constData());
    return status;
}

QString outcomeText(const EntryResult& r)
{
    switch (r.outcome) {
    case Outcome::Filled: return r.detail.isEmpty() ? QStringLiteral("rempli") : QStringLiteral("rempli (%1)").arg(r.detail);
    case Outcome::Ambiguous: return QStringLiteral("ambigu, %1 candidats").arg(r.candidates);
    case Outcome::NotFound: return QStringLiteral("introuvable");
    case Outcome::Failed: return QStringLiteral("échec : %1").arg(r.detail);
    case Outcome::PictureNotStored: return QStringLiteral("rempli, image non enregistrée : %1").arg(r.detail);
    }
    return {};
}

// A script named on the command line: a file, or a name in the plug-in's scripts folders.
QString findScript(const QString& nameOrFile)
{
    if (QFileInfo(nameOrFile).isFile())
        return nameOrFile;
    if (nameOrFile.contains(QLatin1Char('/')))
        return {};
    for (const QString& root : cadrelle::pluginRoots(QCoreApplication::applicationDirPath())) {
        const QString candidate = config::scriptPath(QDir(root).filePath(QStringLiteral("Trouvel")), nameOrFile);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

// What one entry's steps came to, as the engine reports it; the messages shown meanwhile are
// taken, so that only a later step's messages are left to print.
EntryResult resultOf(WizardSession& session)
{
    session.ui().takeMessages();
    const wizard::EntryOutcome outcome = session.engine().outcome();
    EntryResult r;
    r.candidates = outcome.candidates;
    r.stage = outcome.stage;
    r.detail = outcome.reason;
    switch (outcome.kind) {
    case wizard::EntryOutcome::Kind::Filled:
        r.outcome = Outcome::Filled;
        break;
    case wizard::EntryOutcome::Kind::Ambiguous:
        r.outcome = Outcome::Ambiguous;
        for (const wizard::Candidate& c : session.model().candidates())
            r.candidateTexts << candidateText(c);
        break;
    case wizard::EntryOutcome::Kind::NotFound:
        r.outcome = Outcome::NotFound;
        break;
    case wizard::EntryOutcome::Kind::Failed:
        r.outcome = Outcome::Failed;
        break;
    }
    return r;
}

// SHA-256 of the catalogue's bytes as it would be written.
QByteArray catalogueDigest(const cadrelle::Catalogue& catalogue)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    cadrelle::formatCatalogue(catalogue, [&](QByteArrayView piece) {
        hash.addData(piece);
        return true;
    });
    return hash.result();
}

void waitMs(int ms, InterruptWatch& interrupt)
{
    if (ms <= 0 || interrupt.interrupted())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    auto previous = interrupt.onInterrupt;
    interrupt.onInterrupt = [&](int n) {
        if (previous)
            previous(n);
        loop.quit();
    };
    loop.exec();
    interrupt.onInterrupt = previous;
}

} // namespace

int BatchSummary::count(Outcome outcome) const
{
    int n = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        n += entries.outcomeAt(i) == outcome;
    return n;
}

void BatchSummary::write(const std::function<void(const QString&)>& line) const
{
    // Titles and reasons come from the catalogue and the pages: shown with their controls escaped.
    const auto listed = [&](Outcome outcome, const auto& text) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries.outcomeAt(i) == outcome) {
                const EntryResult r = entries.at(i);
                line(QStringLiteral("  %1. %2\n").arg(r.row + 1).arg(escapeControls(text(r))));
            }
    };
    line(QStringLiteral("Entrées traitées : %1%2\n").arg(entries.size()).arg(interrupted ? QStringLiteral(" (interrompu)") : QString()));
    line(QStringLiteral("Remplies : %1\n").arg(count(Outcome::Filled) + count(Outcome::PictureNotStored)));
    if (const int n = count(Outcome::PictureNotStored); n > 0) {
        line(QStringLiteral("Images non enregistrées : %1\n").arg(n));
        listed(Outcome::PictureNotStored, [](const EntryResult& r) { return r.title + QStringLiteral(" : ") + r.detail; });
    }
    line(QStringLiteral("Ambiguës : %1\n").arg(count(Outcome::Ambiguous)));
    listed(Outcome::Ambiguous, [](const EntryResult& r) { return QStringLiteral("%1 : %2 candidats").arg(r.title).arg(r.candidates); });
    line(QStringLiteral("Introuvables : %1\n").arg(count(Outcome::NotFound)));
    listed(Outcome::NotFound, [](const EntryResult& r) { return r.title; });
    line(QStringLiteral("Échecs : %1\n").arg(count(Outcome::Failed)));
    listed(Outcome::Failed, [](const EntryResult& r) { return r.title + QStringLiteral(" : ") + r.detail; });
}

QString BatchSummary::text() const
{
    QString out;
    write([&](const QString& line) { out += line; });
    return out;
}

QString resolveMapping(const QString& spec, const QStringList& columns, const QStringList& fields, int* column, int* field)
{
    const qsizetype eq = spec.lastIndexOf(QLatin1Char('='));
    if (eq <= 0)
        return QStringLiteral("--map attend COLONNE=CHAMP, pas « %1 »").arg(spec);
    const QString col = spec.left(eq).trimmed();
    const QString fld = spec.mid(eq + 1).trimmed();
    bool ok = false;
    *column = col.toInt(&ok);
    if (!ok) {
        *column = 0;
        for (int c = 0; c < columns.size(); ++c)
            if (columns[c].compare(col, Qt::CaseInsensitive) == 0) {
                *column = c + 1;
                break;
            }
    }
    if (*column < 1 || *column > columns.size())
        return QStringLiteral("--map : pas de colonne « %1 » dans le catalogue").arg(col);
    *field = fld.toInt(&ok);
    if (!ok) {
        *field = -1;
        for (int k = 0; k < fields.size(); ++k)
            if (fields[k].compare(fld, Qt::CaseInsensitive) == 0) {
                *field = k + 1;
                break;
            }
    }
    if (*field < 0 || *field > fields.size())
        return QStringLiteral("--map : pas de champ « %1 » dans le script").arg(fld);
    return {};
}

int runBatch(const QStringList& args, const picture::PictureDecode& decodePicture)
{
    Arguments arguments({QStringLiteral("script"), QStringLiteral("map"), QStringLiteral("from"), QStringLiteral("delay"), QStringLiteral("proxy"),
                         QStringLiteral("timeout"), QStringLiteral("checkpoint"), QStringLiteral("checkpoint-seconds"), QStringLiteral("max-wait"),
                         QStringLiteral("retry-delay"), QStringLiteral("report")},
                        {QStringLiteral("dry-run"), QStringLiteral("yes"), QStringLiteral("no"), QStringLiteral("resume"), QStringLiteral("ask"),
                         QStringLiteral("only-empty")});
    if (!arguments.parse(args) || arguments.positional().size() != 1 || !arguments.isSet(QStringLiteral("script"))) {
        std::fprintf(stderr, "trouvel batch : %s\n%s",
                     arguments.error().isEmpty() ? "CATALOGUE.csv et --script attendus" : qPrintable(arguments.error()), kUsage);
        return 2;
    }
    const bool dryRun = arguments.isSet(QStringLiteral("dry-run"));
    const QString cataloguePath = QFileInfo(arguments.positional().at(0)).absoluteFilePath();
    const QString script = findScript(arguments.value(QStringLiteral("script")));
    if (script.isEmpty())
        return fail(QStringLiteral("script introuvable : %1").arg(arguments.value(QStringLiteral("script"))));
    if (QFile f(script); !f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("script illisible : %1").arg(script));

    cadrelle::Catalogue catalogue;
    {
        QFile file(cataloguePath);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("catalogue illisible : %1").arg(cataloguePath));
        if (const QString error = cadrelle::parseCatalogue(file.readAll(), catalogue); !error.isEmpty())
            return fail(QStringLiteral("« %1 » n'est pas un catalogue valide (%2)").arg(cataloguePath, error));
    }
    if (catalogue.entryCount() == 0)
        return fail(QStringLiteral("le catalogue est vide"), 0);
    if (const QString limit = cadrelle::pluginLimitMessage(catalogue); !limit.isEmpty())
        return fail(limit);

    int from = 1;
    if (arguments.isSet(QStringLiteral("from"))) {
        bool ok = false;
        from = arguments.value(QStringLiteral("from")).toInt(&ok);
        if (!ok || from < 1 || from > catalogue.entryCount())
            return fail(QStringLiteral("--from attend un numéro d'entrée de 1 à %1").arg(catalogue.entryCount()));
    }
    // Checkpoints: the catalogue written every so many entries and at least every so many
    // seconds, so that a killed run loses at most that much work. 0 turns either off.
    int checkpointEntries = 200;
    int checkpointSeconds = 30;
    for (auto [name, target] : {std::pair{"checkpoint", &checkpointEntries}, std::pair{"checkpoint-seconds", &checkpointSeconds}}) {
        if (!arguments.isSet(QString::fromLatin1(name)))
            continue;
        bool ok = false;
        *target = arguments.value(QString::fromLatin1(name)).toInt(&ok);
        if (!ok || *target < 0)
            return fail(QStringLiteral("--%1 attend un nombre positif ou nul").arg(QString::fromLatin1(name)));
    }
    const bool ask = arguments.isSet(QStringLiteral("ask"));
    if (ask && (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)))
        return fail(QStringLiteral("--ask demande un terminal (entrée et sortie d'erreur)"));

    const QString scriptPath = QFileInfo(script).absoluteFilePath();
    const QString scriptDigest = fileDigest(script);
    const QString journalFile = journalPath(cataloguePath);
    BatchSummary summary;
    if (arguments.isSet(QStringLiteral("resume"))) {
        if (arguments.isSet(QStringLiteral("from")) || dryRun)
            return fail(QStringLiteral("--resume ne se combine ni avec --from ni avec --dry-run"));
        QFile journalIn(journalFile);
        if (!journalIn.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("pas de journal de reprise pour « %1 » (%2) : rien à reprendre").arg(cataloguePath, journalFile));
        QString error;
        const std::optional<BatchJournal> journal = parseJournal(journalIn.readAll(), &error);
        if (!journal)
            return fail(QStringLiteral("journal de reprise « %1 » illisible : %2").arg(journalFile, error));
        if (const QString mismatch = journalMismatch(*journal, cataloguePath, scriptPath, scriptDigest, catalogue.entryCount());
            !mismatch.isEmpty())
            return fail(QStringLiteral("reprise impossible : %1").arg(mismatch));
        summary.entries = journal->entries;
        if (journal->nextRow >= catalogue.entryCount()) {
            // Killed after its last entry was written: only the end of the run is left.
            QFile::remove(journalFile);
            summary.write(printOut);
            std::printf("Reprise : toutes les entrées avaient été traitées.\n");
            return 0;
        }
        from = journal->nextRow + 1;
        std::fprintf(stderr, "trouvel batch : reprise à l'entrée %d\n", from);
    } else if (!dryRun && QFileInfo::exists(journalFile)) {
        std::fprintf(stderr,
                     "trouvel batch : un journal de reprise existe (%s) : cette nouvelle exécution le remplace (--resume pour "
                     "continuer l'exécution interrompue)\n",
                     qPrintable(journalFile));
    }

    SessionOptions options;
    options.decodePicture = decodePicture;
    options.scriptFile = script;
    options.cadrelleIni = defaultCadrelleIni();
    options.yesNoAnswer = arguments.isSet(QStringLiteral("no")) ? MsgAnswer::No : MsgAnswer::Yes;
    options.quietMessages = true;
    options.deferPictureSync = true; // synced once, before the catalogue that names them
    options.keepPages = false;
    if (arguments.isSet(QStringLiteral("timeout"))) {
        const std::optional<QString> timeout = timeoutSetting(arguments.value(QStringLiteral("timeout")));
        if (!timeout)
            return fail(QStringLiteral("--timeout attend un nombre de secondes (de 0,001 à 3600)"));
        options.timeoutSeconds = *timeout;
    }
    std::unique_ptr<WizardSession> session;
    try {
        session = std::make_unique<WizardSession>(options);
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
    if (arguments.isSet(QStringLiteral("proxy"))) {
        QString error;
        options.cadrelleIni = writeProxyProfile(arguments.value(QStringLiteral("proxy")), session->scratchFolder(), &error);
        if (options.cadrelleIni.isEmpty())
            return fail(error);
    }

    int delay = isLoopbackAddress(config::ScriptFile(script).searchUrl(QString())) ? 0 : 1000;
    if (arguments.isSet(QStringLiteral("delay"))) {
        bool ok = false;
        delay = arguments.value(QStringLiteral("delay")).toInt(&ok);
        if (!ok || delay < 0)
            return fail(QStringLiteral("--delay attend un nombre de millisecondes"));
    }
    RetryLimits retryLimits;
    if (const QString error = readRetryLimits(arguments, &retryLimits); !error.isEmpty())
        return fail(error);
    const QString reportPath = arguments.value(QStringLiteral("report"));
    if (arguments.isSet(QStringLiteral("report")) && !reportFormatFor(reportPath))
        return fail(QStringLiteral("--report attend un fichier .csv ou .json, pas « %1 »").arg(reportPath));

    // The host's working folder: the catalogue's folder (Trouvel.ini, pictures), or for a dry
    // run a private copy of what is read from it.
    const QString catalogueFolder = QFileInfo(cataloguePath).absolutePath();
    QString workFolder = catalogueFolder;
    if (dryRun) {
        workFolder = QDir(session->scratchFolder()).filePath(QStringLiteral("catalogue"));
        QDir().mkpath(workFolder);
        QFile::copy(config::MappingFile::inFolder(catalogueFolder).path(), config::MappingFile::inFolder(workFolder).path());
    }
    const config::MappingFile mapping = config::MappingFile::inFolder(workFolder);
    const QString mappingFile = mapping.path();
    const QString section = session->scriptName();

    if (arguments.isSet(QStringLiteral("map"))) {
        // As the mapping dialog does: one key for every column, the others kept as they were.
        QStringList values;
        for (int c = 1; c <= catalogue.columnCount(); ++c)
            values << mapping.columnText(section, c);
        const QStringList fields = config::ScriptFile(script).fieldNames();
        for (const QString& spec : arguments.values(QStringLiteral("map"))) {
            int column = 0;
            int field = 0;
            if (const QString error = resolveMapping(spec, catalogue.columns(), fields, &column, &field); !error.isEmpty())
                return fail(error);
            values[column - 1] = QString::number(field);
        }
        for (int c = 1; c <= catalogue.columnCount(); ++c)
            if (const QString reason = mapping.writeColumn(section, c, values[c - 1]);
                !reason.isEmpty())
                return fail(QStringLiteral("impossible d'écrire « %1 » : %2").arg(mappingFile, reason), 1);
        if (const QString reason = config::writeMappingCaptions(mappingFile, section, catalogue.columns()); !reason.isEmpty())
            return fail(QStringLiteral("impossible d'écrire « %1 » : %2").arg(mappingFile, reason), 1);
    }
    // Columns changed since they were mapped: stopped before any entry is touched.
    if (const QString mismatch = config::mappingCaptionsMismatch(mappingFile, section, catalogue.columns()); !mismatch.isEmpty())
        return fail(mismatch + QStringLiteral(" (--map COL=CHAMP pour refaire la correspondance)"));
    bool mapped = false;
    for (int c = 1; c <= catalogue.columnCount(); ++c)
        mapped |= mapping.mappedField(section, c) > 0;
    if (!mapped)
        std::fprintf(stderr, "trouvel batch : aucune colonne n'est associée à un champ du script « %s » (--map COL=CHAMP)\n",
                     qPrintable(section));

    auto host = std::make_shared<cadrelle::CatalogueHost>(catalogue, workFolder, options.cadrelleIni);
    host->setSelectedRows({from - 1});

    InterruptWatch interrupt;
    interrupt.onInterrupt = [&](int n) {
        if (n == 1)
            std::fprintf(stderr, "\ntrouvel batch : interruption, arrêt après l'entrée en cours (Ctrl-C encore : arrêt immédiat)\n");
        else if (session->state().HostApp)
            session->engine().stop();
    };

    // What is on disk, as this tool would write it: the digest of the catalogue as read or as
    // last written. Compared in that form, a run that changed no entry leaves the file as it was
    // (its encoding, line ends and byte order mark untouched); only the digest is kept, so that
    // a long catalogue is not held twice.
    QByteArray onDisk = catalogueDigest(catalogue);
    bool savedSinceWrite = false;
    int nextRow = from - 1;
    QString saveError;
    const auto writeCatalogue = [&]() -> bool {
        if (dryRun || !savedSinceWrite)
            return true;
        const QByteArray updated = catalogueDigest(catalogue);
        if (updated != onDisk) {
            // The pictures it names reach the disk before the catalogue does.
            if (const QString reason = trouvel::syncFileSystem(workFolder); !reason.isEmpty()) {
                saveError = QStringLiteral("Impossible d'enregistrer les images dans « %1 » : %2").arg(workFolder, reason);
                return false;
            }
            if (const QString error = cadrelle::saveCatalogue(cataloguePath, catalogue); !error.isEmpty()) {
                saveError = error;
                return false;
            }
            onDisk = updated;
            summary.written = true;
        }
        savedSinceWrite = false;
        return true;
    };
    // A checkpoint: the catalogue, then the journal that says how far it goes.
    const auto checkpoint = [&]() -> bool {
        if (dryRun)
            return true;
        if (!writeCatalogue())
            return false;
        // The entries are lent to the journal for the write, not copied.
        BatchJournal journal{cataloguePath, scriptPath, scriptDigest, nextRow, std::move(summary.entries)};
        const QString reason = writeJournal(journalFile, journal);
        summary.entries = std::move(journal.entries);
        if (!reason.isEmpty()) {
            saveError = QStringLiteral("Impossible d'écrire le journal de reprise « %1 » : %2").arg(journalFile, reason);
            return false;
        }
        return true;
    };

    bool broken = false;
    try {
        if (!session->start(host))
            return fail(QStringLiteral("l'assistant n'a pas démarré"), 1);
        session->ui().takeMessages();
        wizard::WizardEngine& engine = session->engine();
        engine.setKeepFilledColumns(arguments.isSet(QStringLiteral("only-empty")));
        const int total = catalogue.entryCount() - from + 1;
        // One result per entry: room for all at once, never a copy of them all while they grow.
        summary.entries.reserve(summary.entries.size() + std::size_t(total));
        Progress progress(total, ::isatty(STDERR_FILENO) && !ask);
        int done = 0;
        int sinceCheckpoint = 0;
        bool userStopped = false; // q typed at an --ask question
        QElapsedTimer checkpointClock;
        checkpointClock.start();
        if (!checkpoint())
            throw std::runtime_error(saveError.toStdString());
        while (!engine.isClosed()) {
            if (done > 0)
                waitMs(delay, interrupt);
            if (interrupt.interrupted() || userStopped)
                break;
            const int row = session->state().CurrentItem - 1;
            const QString title = session->model().title();
            session->clearRecord();
            engine.search();
            EntryResult result = resultOf(*session);
            result.row = row;
            result.title = title;
            result = retryEntry(
                std::move(result), *session, retryLimits,
                [&] {
                    session->clearRecord();
                    engine.search();
                    return resultOf(*session);
                },
                [&](std::int64_t ms) {
                    waitMs(int(ms), interrupt);
                    return !interrupt.interrupted();
                });
            if (ask && result.outcome == Outcome::Ambiguous && !interrupt.interrupted()) {
                const AskAnswer answer = askCandidate(title, row, session->model().candidates(), interrupt);
                if (answer.choice > 0) {
                    session->model().setSelectedCandidate(answer.choice - 1);
                    engine.fetchDetails();
                    result = resultOf(*session);
                    result.row = row;
                    result.title = title;
                } else if (answer.stop) {
                    userStopped = true;
                }
            }
            if (interrupt.count() > 1 && result.outcome == Outcome::Filled)
                result = {row, title, Outcome::Failed, result.candidates, QStringLiteral("interrompu")};
            // A detail step that did not run to its end leaves nothing to save.
            if (result.outcome == Outcome::Filled && !engine.model().canSave())
                result = {row, title, Outcome::Failed, result.candidates, QStringLiteral("fiche incomplète")};
            const int before = session->state().CurrentItem;
            if (result.outcome == Outcome::Filled) {
                engine.save(); // saves, then moves on
                savedSinceWrite = true;
                if (!engine.pictureStoreFailure().isEmpty())
                    result = {row, title, Outcome::PictureNotStored, result.candidates, engine.pictureStoreFailure()};
            } else
                engine.next();
            summary.entries.push_back(result);
            nextRow = row + 1;
            progress.entryDone(++done, title, outcomeText(result));
            ++sinceCheckpoint;
            if ((checkpointEntries > 0 && sinceCheckpoint >= checkpointEntries)
                || (checkpointSeconds > 0 && checkpointClock.elapsed() >= qint64(checkpointSeconds) * 1000)) {
                if (!checkpoint())
                    throw std::runtime_error(saveError.toStdString());
                sinceCheckpoint = 0;
                checkpointClock.restart();
            }
            // A step that refused to move on (it said why) would be met again and again.
            if (!engine.isClosed() && session->state().CurrentItem == before) {
                for (const QString& message : session->ui().takeMessages())
                    std::fprintf(stderr, "trouvel batch : %s\n", qPrintable(message));
                broken = true;
                break;
            }
        }
        progress.finish();
        summary.interrupted = interrupt.interrupted() || userStopped;
        session->finish();
    } catch (const std::exception& e) {
        // The host or the settings failed under the walk: what was done so far is still saved.
        // A failed checkpoint is said once, below.
        if (saveError.isEmpty())
            std::fprintf(stderr, "trouvel batch : %s\n", e.what());
        broken = true;
    }

    int status = broken ? 1 : interrupt.interrupted() ? 130 : 0;
    if (!dryRun && saveError.isEmpty()) {
        // A run that ends normally needs no journal; a stopped or broken one keeps it, up to date.
        const bool ended = !broken && !summary.interrupted;
        if (ended ? writeCatalogue() : checkpoint()) {
            if (ended)
                QFile::remove(journalFile);
        }
    }
    if (!saveError.isEmpty()) {
        std::fprintf(stderr, "trouvel batch : %s\n", qPrintable(saveError));
        status = 1;
    }
    QString text = dryRun                  ? QStringLiteral("Essai à blanc : rien n'a été écrit.\n")
            : !saveError.isEmpty() && summary.written
                ? QStringLiteral("Catalogue enregistré jusqu'au dernier point de sauvegarde, la suite NON enregistrée : %1\n").arg(saveError)
            : !saveError.isEmpty() ? QStringLiteral("Catalogue NON enregistré (le fichier est resté tel qu'il était) : %1\n").arg(saveError)
            : summary.written       ? QStringLiteral("Catalogue enregistré : %1\n").arg(cataloguePath)
                                    : QStringLiteral("Catalogue inchangé.\n");
    if (!reportPath.isEmpty()) {
        if (const QString error = writeReport(reportPath, summary.entries); error.isEmpty())
            text += QStringLiteral("Rapport enregistré : %1\n").arg(reportPath);
        else {
            std::fprintf(stderr, "trouvel batch : rapport non enregistré (%s) : %s\n", qPrintable(reportPath), qPrintable(error));
            status = status == 0 ? 1 : status;
        }
    }
    // Line by line: the summary of a long walk lists thousands of entries.
    summary.write(printOut);
    printOut(text);
    std::fflush(stdout);
    return status;
}

} // namespace trouvel::cli
