// Charsets as a browser uses them to send a form: the title goes into the query in the
// charset the site expects (the script's, or the one its search page declares).
#pragma once

#include <QByteArray>
#include <QString>

namespace trouvel::text {

// Why `name` cannot be used ("" when it can): a name Qt's converters do not know.
QString charsetProblem(const QString& name);

// True for a charset of one byte per character (iso-8859-*, windows-125*, koi8-*, ...).
bool isSingleByteCharset(const QString& name);

// The text as a form value of the query: "&", "#", "+", "%", "=" and "?" as %XX, so that
// the whole title reaches the site; every non-ASCII character written as %XX of its bytes in
// `charset`, as a browser sends a form, and a character the charset cannot hold as "&#N;"
// (percent-encoded), as browsers do. Other ASCII, blanks included, is left as it is.
// iso-8859-1 and us-ascii are read as windows-1252, as browsers read them. An empty or
// unknown charset leaves the non-ASCII characters as they are (sent in UTF-8).
QString formEncoded(const QString& text, const QString& charset);

// The charset a stored page declares: the final response's Content-Type header, else a
// byte order mark, else a <meta charset> or <meta http-equiv="Content-Type"> in the body's
// first 1024 bytes. Lower case; empty when none is declared.
QString declaredCharset(const QByteArray& storedPage);

// The name Qt's converters read `charset` by, as browsers read it (iso-8859-1 and us-ascii
// as windows-1252).
QByteArray pageConverterName(const QString& charset);

} // namespace trouvel::text
