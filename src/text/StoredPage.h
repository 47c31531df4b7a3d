// The page file as the page client leaves it: each response's status line and headers
// (redirects first), then the final response's body; line ends CR LF, or CR CR LF where the
// server sent CR LF.
#pragma once

#include <QByteArray>
#include <QList>

namespace trouvel::text {

struct StoredHead {
    QList<QByteArray> lines; // the final response's status line and header lines, line ends cut
    qsizetype bodyAt = 0;    // where its body starts
    bool complete = false;   // its blank line was found (or there is no head at all)
};

StoredHead finalHead(const QByteArray& storedPage);

// The value of the final response's header `name` (lower case, no colon), trimmed; empty
// when there is none.
QByteArray headerValue(const StoredHead& head, const QByteArray& name);

// True when the final response says its body is JSON: application/json, text/json or a
// "+json" type (application/ld+json, ...).
bool isJsonPage(const QByteArray& storedPage);

} // namespace trouvel::text
