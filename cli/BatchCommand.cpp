#include "BatchCommand.h"

#include "BatchCheckpoints.h"
#include "BatchJournal.h"
#include "BatchOptions.h"
#include "LintCommand.h"
#include "BatchReport.h"
#include "BatchWalk.h"
#include "HostProfile.h"
#include "Interrupt.h"
#include "WizardSession.h"

#include "catalogue/CatalogueFile.h"
#include "common/BoundedRead.h"
#include "catalogue/CatalogueHost.h"
#include "config/MappingCaptions.h"
#include "config/MappingFile.h"
#include "config/ScriptFile.h"
#include "mapping/ColumnMapping.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

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

// --map COLUMN=FIELD, written as the mapping dialog writes it: every column's key (those not
// named kept as they were) and the captions the columns have now. "" or why not, with the
// exit status in *status (2: a wrong --map, 1: the file could not be written).
QString applyMaps(const QStringList& maps, const cadrelle::Catalogue& catalogue, const QString& script,
                  const config::MappingFile& mapping, const QString& section, int* status)
{
    *status = 2;
    std::vector<mapping::MappingRow> rows;
    for (int c = 1; c <= catalogue.columnCount(); ++c)
        rows.push_back({catalogue.columns().at(c - 1), mapping.columnText(section, c), {}});
    const QStringList fields = config::ScriptFile(script).fieldNames();
    for (const QString& spec : maps) {
        int column = 0;
        int field = 0;
        if (const QString error = resolveMapping(spec, catalogue.columns(), fields, &column, &field); !error.isEmpty())
            return error;
        rows[std::size_t(column - 1)].nb = QString::number(field);
    }
    *status = 1;
    if (const QString reason = mapping::writeMappingRows(mapping.path(), section, rows); !reason.isEmpty())
        return QStringLiteral("impossible d'écrire « %1 » : %2").arg(mapping.path(), reason);
    return {};
}

// The last lines: what became of the catalogue and of the report.
QString endText(bool dryRun, const QString& saveError, bool written, const QString& cataloguePath)
{
    if (dryRun)
        return QStringLiteral("Essai à blanc : rien n'a été écrit.\n");
    if (!saveError.isEmpty() && written)
        return QStringLiteral("Catalogue enregistré jusqu'au dernier point de sauvegarde, la suite NON enregistrée : %1\n").arg(saveError);
    if (!saveError.isEmpty())
        return QStringLiteral("Catalogue NON enregistré (le fichier est resté tel qu'il était) : %1\n").arg(saveError);
    if (written)
        return QStringLiteral("Catalogue enregistré : %1\n").arg(cataloguePath);
    return QStringLiteral("Catalogue inchangé.\n");
}

} // namespace

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
    std::optional<BatchOptions> parsed = parseBatchOptions(args);
    if (!parsed)
        return 2;
    BatchOptions& options = *parsed;
    options.session.decodePicture = decodePicture;
    warnAboutScript(options.script, "batch");
    const QString& cataloguePath = options.cataloguePath;

    cadrelle::Catalogue catalogue;
    {
        const FileRead read = readRegularFile(cataloguePath, cadrelle::kMaxCatalogueBytes);
        if (!read.bytes)
            return fail(QStringLiteral("catalogue illisible : %1 (%2)").arg(cataloguePath, read.problem));
        if (const QString error = cadrelle::parseCatalogue(*read.bytes, catalogue); !error.isEmpty())
            return fail(QStringLiteral("« %1 » n'est pas un catalogue valide (%2)").arg(cataloguePath, error));
    }
    if (catalogue.entryCount() == 0)
        return fail(QStringLiteral("le catalogue est vide"), 0);
    if (const QString limit = cadrelle::pluginLimitMessage(catalogue); !limit.isEmpty())
        return fail(limit);
    int from = 1;
    if (!options.fromText.isEmpty()) {
        bool ok = false;
        from = options.fromText.toInt(&ok);
        if (!ok || from < 1 || from > catalogue.entryCount())
            return fail(QStringLiteral("--from attend un numéro d'entrée de 1 à %1").arg(catalogue.entryCount()));
    }

    CheckpointFiles files;
    files.catalogue = cataloguePath;
    files.script = QFileInfo(options.script).absoluteFilePath();
    files.scriptDigest = fileDigest(options.script);
    files.journal = journalPath(cataloguePath);
    BatchSummary summary;
    if (options.resume) {
        if (!QFileInfo::exists(files.journal))
            return fail(QStringLiteral("pas de journal de reprise pour « %1 » (%2) : rien à reprendre").arg(cataloguePath, files.journal));
        // A journal lists one line per entry: bounded like the catalogue it goes with.
        const FileRead journalIn = readRegularFile(files.journal, cadrelle::kMaxCatalogueBytes);
        QString error = journalIn.problem;
        const std::optional<BatchJournal> journal = journalIn.bytes ? parseJournal(*journalIn.bytes, &error) : std::nullopt;
        if (!journal)
            return fail(QStringLiteral("journal de reprise « %1 » illisible : %2").arg(files.journal, error));
        if (const QString mismatch = journalMismatch(*journal, cataloguePath, files.script, files.scriptDigest, catalogue.entryCount());
            !mismatch.isEmpty())
            return fail(QStringLiteral("reprise impossible : %1").arg(mismatch));
        summary.entries = journal->entries;
        if (journal->nextRow >= catalogue.entryCount()) {
            // Killed after its last entry was written: only the end of the run is left.
            QFile::remove(files.journal);
            summary.write(printOut);
            std::printf("Reprise : toutes les entrées avaient été traitées.\n");
            return summary.incomplete() ? 1 : 0;
        }
        from = journal->nextRow + 1;
        std::fprintf(stderr, "trouvel batch : reprise à l'entrée %d\n", from);
        // What the killed run was writing when it stopped (a catalogue, a journal, a picture).
        removeStaleTempFiles(QFileInfo(cataloguePath).absolutePath());
    } else if (!options.dryRun && QFileInfo::exists(files.journal)) {
        std::fprintf(stderr,
                     "trouvel batch : un journal de reprise existe (%s) : cette nouvelle exécution le remplace (--resume pour "
                     "continuer l'exécution interrompue)\n",
                     qPrintable(files.journal));
    }

    std::unique_ptr<WizardSession> session;
    try {
        session = std::make_unique<WizardSession>(options.session);
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
    // The host's working folder: the catalogue's folder (Trouvel.ini, pictures), or for a dry
    // run a private copy of what is read from it.
    const QString catalogueFolder = QFileInfo(cataloguePath).absolutePath();
    files.workFolder = catalogueFolder;
    if (options.dryRun) {
        files.workFolder = QDir(session->scratchFolder()).filePath(QStringLiteral("catalogue"));
        QDir().mkpath(files.workFolder);
        QFile::copy(config::MappingFile::inFolder(catalogueFolder).path(), config::MappingFile::inFolder(files.workFolder).path());
    }
    const config::MappingFile mapping = config::MappingFile::inFolder(files.workFolder);
    const QString section = session->scriptName();
    if (int status = 0; !options.maps.isEmpty())
        if (const QString error = applyMaps(options.maps, catalogue, options.script, mapping, section, &status); !error.isEmpty())
            return fail(error, status);
    // Columns changed since they were mapped: stopped before any entry is touched.
    if (const QString mismatch = config::mappingCaptionsMismatch(mapping.path(), section, catalogue.columns()); !mismatch.isEmpty())
        return fail(mismatch + QStringLiteral(" (--map COL=CHAMP pour refaire la correspondance)"));
    bool mapped = false;
    for (int c = 1; c <= catalogue.columnCount(); ++c)
        mapped |= mapping.mappedField(section, c) > 0;
    if (!mapped)
        std::fprintf(stderr, "trouvel batch : aucune colonne n'est associée à un champ du script « %s » (--map COL=CHAMP)\n",
                     qPrintable(section));

    auto host = std::make_shared<cadrelle::CatalogueHost>(catalogue, files.workFolder, defaultCadrelleIni());
    host->setSelectedRows({from - 1});

    InterruptWatch interrupt;
    interrupt.onInterrupt = [&](int n) {
        if (n == 1)
            std::fprintf(stderr, "\ntrouvel batch : interruption, arrêt après l'entrée en cours (Ctrl-C encore : arrêt immédiat)\n");
        else if (session->state().HostApp)
            session->engine().stop();
    };

    BatchCheckpoints checkpoints(catalogue, files, options.dryRun);
    BatchWalk walk(*session, checkpoints, summary, interrupt, options.walk);
    bool broken = false;
    try {
        if (!session->start(host))
            return fail(QStringLiteral("l'assistant n'a pas démarré"), 1);
        // Nothing is searched, and the catalogue is left alone, with a script that did not load.
        if (!session->engine().scriptLoadError().isEmpty())
            return fail(session->engine().scriptLoadError());
        session->engine().setKeepFilledColumns(options.onlyEmpty);
        session->engine().setUnattended(true);
        session->engine().setTitleCheck(!options.acceptDifferentTitle);
        const BatchWalk::End end = walk.run(catalogue.entryCount() - from + 1);
        broken = end == BatchWalk::End::Broken;
        summary.interrupted = end == BatchWalk::End::Stopped;
        session->finish();
    } catch (const std::exception& e) {
        // The host or the settings failed under the walk: what was done so far is still saved.
        // A failed checkpoint is said once, below.
        if (checkpoints.error().isEmpty())
            std::fprintf(stderr, "trouvel batch : %s\n", e.what());
        broken = true;
    }

    int status = broken ? 1 : interrupt.interrupted() ? 130 : summary.incomplete() ? 1 : 0;
    if (!options.dryRun && checkpoints.error().isEmpty()) {
        // A run that ends normally needs no journal; a stopped or broken one keeps it, up to date.
        const bool ended = !broken && !summary.interrupted;
        if (ended ? checkpoints.writeCatalogue(summary) : checkpoints.checkpoint(summary, walk.nextRow())) {
            if (ended)
                QFile::remove(files.journal);
        }
    }
    if (!options.dryRun)
        removeStaleTempFiles(files.workFolder);
    const QString& saveError = checkpoints.error();
    if (!saveError.isEmpty()) {
        std::fprintf(stderr, "trouvel batch : %s\n", qPrintable(saveError));
        status = 1;
    }
    QString text = endText(options.dryRun, saveError, summary.written, cataloguePath);
    if (!options.reportPath.isEmpty()) {
        if (const QString error = writeReport(options.reportPath, summary.entries); error.isEmpty())
            text += QStringLiteral("Rapport enregistré : %1\n").arg(options.reportPath);
        else {
            std::fprintf(stderr, "trouvel batch : rapport non enregistré (%s) : %s\n", qPrintable(options.reportPath), qPrintable(error));
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
