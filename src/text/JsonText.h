// The text of a JSON string as its reader gets it, for values cut out of a JSON page (or of
// JSON inside HTML, such as a JSON-LD block).
#pragma once

#include <QString>
#include <QStringView>

namespace trouvel::text {

// `\uXXXX` (a surrogate pair as the one character it makes), `\"`, `\\`, `\/`, `\b`, `\f`,
// `\n`, `\r` and `\t` replaced by what they stand for. An escape JSON does not have, a
// `\u` without four hex digits and a lone surrogate stay as written.
QString jsonUnescaped(QStringView text);

} // namespace trouvel::text
