// The bytes of the few profile files read over and over (a script and Trouvel.ini are read
// some forty times per entry of a walk), kept while the file is unchanged: a look at its
// size, times and inode replaces opening and reading it again.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace trouvel::config {

// The file's content, or nothing when it cannot be read (missing, a folder, unreadable).
// Regular files only are kept; anything else is read afresh each time.
std::optional<QByteArray> fileContent(const QString& path);

// After a write of our own: the next read takes the file again.
void forgetFileContent(const QString& path);

} // namespace trouvel::config
