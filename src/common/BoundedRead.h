// Reading a whole file the user gave (a script, a catalogue, a profile, a journal) without
// letting the file decide how long it takes: only a regular file, or a link to one, is read;
// it is opened without blocking, so a FIFO cannot hang the run; and never more than a bound
// is read, so a link to /dev/zero or a huge sparse file is refused instead of filling memory.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace trouvel {

struct FileRead {
    std::optional<QByteArray> bytes;
    QString problem; // why there are no bytes, in French ("" when read)
};

// The file's bytes when it is a regular file of at most maxBytes, else why not: it does not
// exist, is not a regular file (a folder, a FIFO, a device), is larger than maxBytes, or
// cannot be read.
FileRead readRegularFile(const QString& path, qint64 maxBytes);

// Why the file cannot be read that way ("" when it can), from its metadata alone.
QString regularFileProblem(const QString& path, qint64 maxBytes);

} // namespace trouvel
