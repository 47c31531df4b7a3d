// Text helpers of the demo site: form decoding, title matching, HTML writing.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace trouvel::demo {

// "a=b&c=d" form data: "+" is a blank, %XX a byte; the bytes are read as UTF-8 (Windows-1252
// where they are not valid UTF-8). The first occurrence of a name wins.
QHash<QString, QString> parseForm(const QByteArray& data);

// The form a title is compared in: no accents, no letter case, punctuation as blanks,
// single blanks, "œ" as "oe".
QString searchKey(const QString& text);

// "<", ">", "&" and '"' escaped for HTML text and attribute values.
QString htmlEscape(const QString& text);

// Like htmlEscape, and also writes the accented letters that have a common lower-case
// entity (é è ê ë à â ç î ï ô ù) and non-breaking blanks as entities, as older pages do.
QString htmlEntities(const QString& text);

} // namespace trouvel::demo
