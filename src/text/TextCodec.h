// Text as it comes from files and the wire: UTF-8, with any byte that is not part of a
// valid UTF-8 sequence read as Windows-1252, so nothing is rejected or lost.
#pragma once

#include <QByteArray>
#include <QString>

namespace trouvel::text {

QString decodeText(const QByteArray& bytes);
// True when every byte belongs to a valid UTF-8 sequence.
bool isValidUtf8(const QByteArray& bytes);
// Windows-1252 encoding of text; characters it cannot hold are written as UTF-8.
QByteArray encodeWindows1252(const QString& text);

} // namespace trouvel::text
