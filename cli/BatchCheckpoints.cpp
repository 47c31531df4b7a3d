#include "BatchCheckpoints.h"

#include "BatchJournal.h"

#include "catalogue/CatalogueFile.h"
#include "common/WholeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace trouvel::cli {

namespace {

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

} // namespace

BatchCheckpoints::BatchCheckpoints(const cadrelle::Catalogue& catalogue, CheckpointFiles files, bool dryRun)
    : catalogue_(catalogue)
    , files_(std::move(files))
    , dryRun_(dryRun)
    , onDisk_(catalogueDigest(catalogue))
{
}

void BatchCheckpoints::entrySaved(const QString& newPicture)
{
    savedSinceWrite_ = true;
    if (!newPicture.isEmpty() && !dryRun_)
        newPictures_.append(newPicture);
}

bool BatchCheckpoints::writeCatalogue(BatchSummary& summary)
{
    if (dryRun_ || !savedSinceWrite_)
        return true;
    const QByteArray updated = catalogueDigest(catalogue_);
    if (updated != onDisk_) {
        const auto failed = [&](const QString& why) {
            error_ = why;
            const QDir folder(files_.workFolder);
            for (const QString& name : std::as_const(newPictures_))
                QFile::remove(folder.filePath(name));
            newPictures_.clear();
            return false;
        };
        // The pictures it names reach the disk before the catalogue does.
        if (const QString reason = trouvel::syncFileSystem(files_.workFolder); !reason.isEmpty())
            return failed(QStringLiteral("Impossible d'enregistrer les images dans « %1 » : %2").arg(files_.workFolder, reason));
        if (const QString error = cadrelle::saveCatalogue(files_.catalogue, catalogue_); !error.isEmpty())
            return failed(error);
        onDisk_ = updated;
        summary.written = true;
    }
    newPictures_.clear();
    savedSinceWrite_ = false;
    return true;
}

bool BatchCheckpoints::checkpoint(BatchSummary& summary, int nextRow)
{
    if (dryRun_)
        return true;
    if (!writeCatalogue(summary))
        return false;
    // The entries are lent to the journal for the write, not copied.
    BatchJournal journal{files_.catalogue, files_.script, files_.scriptDigest, nextRow, std::move(summary.entries)};
    const QString reason = writeJournal(files_.journal, journal);
    summary.entries = std::move(journal.entries);
    if (!reason.isEmpty()) {
        error_ = QStringLiteral("Impossible d'écrire le journal de reprise « %1 » : %2").arg(files_.journal, reason);
        return false;
    }
    return true;
}

} // namespace trouvel::cli
