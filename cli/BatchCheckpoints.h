// Where trouvel batch keeps its work safe: the catalogue written back in one piece when an
// entry changed it (the pictures it names synced first), then the resume journal that says how
// far the walk went. A dry run writes neither.
#pragma once

#include "BatchSummary.h"

#include "catalogue/Catalogue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace trouvel::cli {

struct CheckpointFiles {
    QString catalogue;  // absolute path
    QString workFolder; // where the pictures are stored
    QString journal;
    QString script;     // absolute path, and the digest of its bytes
    QString scriptDigest;
};

class BatchCheckpoints {
public:
    BatchCheckpoints(const cadrelle::Catalogue& catalogue, CheckpointFiles files, bool dryRun);

    // An entry was saved into the catalogue in memory; newPicture: the file name of a picture
    // it stored where there was none ("" for none).
    void entrySaved(const QString& newPicture);
    // The catalogue, when an entry changed it since it was last written. false once a write
    // failed (error() says why).
    bool writeCatalogue(BatchSummary& summary);
    // The catalogue, then the journal: every entry before nextRow is handled.
    bool checkpoint(BatchSummary& summary, int nextRow);
    const QString& error() const { return error_; }

private:
    const cadrelle::Catalogue& catalogue_;
    CheckpointFiles files_;
    bool dryRun_;
    // The digest of the catalogue as this tool would write it, as read or as last written.
    // Compared in that form, a run that changed no entry leaves the file as it was (its
    // encoding, line ends and byte order mark untouched); only the digest is kept, so that a
    // long catalogue is not held twice.
    QByteArray onDisk_;
    bool savedSinceWrite_ = false;
    // New pictures not yet named by the catalogue on disk: removed if it cannot be written, so
    // that no picture is left that the saved catalogue does not name.
    QStringList newPictures_;
    QString error_;
};

} // namespace trouvel::cli
