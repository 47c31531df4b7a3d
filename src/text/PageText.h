// A stored page as the text its patterns run over, decoded as a browser decodes it.
#pragma once

#include <QByteArray>
#include <QString>

namespace trouvel::text {

// The charset the page is read in: the one it declares (declaredCharset: header, byte order
// mark, <meta>), else the script's Charset, else none ("": the byte-wise guess, decodeText).
QString pageCharset(const QByteArray& storedPage, const QString& scriptCharset);

// The stored page as text: its heads as decodeText reads them, its body in pageCharset. UTF-8
// (and no charset at all) is read by decodeText, which keeps a byte that is not UTF-8 as its
// windows-1252 character; a charset Qt does not know is read that way too.
QString decodePage(const QByteArray& storedPage, const QString& scriptCharset);

} // namespace trouvel::text
