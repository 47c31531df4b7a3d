// The resume journal of trouvel batch: kept beside the catalogue while a run is under way,
// it says which catalogue and script the run walks, where to go on, and what the entries
// already handled came to. Written after each checkpoint of the catalogue, so what it lists
// is in the file on disk; removed when a run ends normally.
#pragma once

#include "ResultLog.h"
#include "common/WholeFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace trouvel::cli {

struct BatchJournal {
    QString catalogue;    // absolute path
    QString script;       // absolute path
    QString scriptDigest; // SHA-256 of the script's bytes, hex
    int nextRow = 0;      // 0-based: the first entry not yet handled
    ResultLog entries;
};

// "<catalogue>.trouvel-journal".
QString journalPath(const QString& cataloguePath);
// Hex SHA-256 of a file's bytes; empty when it cannot be read.
QString fileDigest(const QString& path);

QByteArray formatJournal(const BatchJournal& journal);
// The same bytes handed to sink in pieces; false as soon as sink refuses one.
bool formatJournal(const BatchJournal& journal, const trouvel::PieceSink& sink);
// Replaces the file at path, whole or not at all; "" or why not.
QString writeJournal(const QString& path, const BatchJournal& journal);
// Nothing, with the reason in *error, when the bytes are not a journal this tool wrote.
std::optional<BatchJournal> parseJournal(const QByteArray& bytes, QString* error);

// Why a journal cannot resume this run ("" when it can).
QString journalMismatch(const BatchJournal& journal, const QString& cataloguePath, const QString& scriptPath,
                        const QString& scriptDigest, int entryCount);

} // namespace trouvel::cli
