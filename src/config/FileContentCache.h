// The bytes of the few profile files read over and over (a script and Trouvel.ini are read
// some forty times per entry of a walk), kept while the file is unchanged: a look at its
// size, times and inode replaces opening and reading it again.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace trouvel::config {

// The largest profile file read (a script, Trouvel.ini, Cadrelle.ini).
inline constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;

// The file's content, or nothing when it cannot be read: missing, unreadable, larger than
// kMaxProfileBytes, or not a regular file (a folder, a FIFO, a device is never read).
std::optional<QByteArray> fileContent(const QString& path);

// After a write of our own: the next read takes the file again.
void forgetFileContent(const QString& path);

} // namespace trouvel::config
