// Generated pages for the text benchmarks: deterministic, so that our run and the
// Node.js run see the same bytes.
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::bench {

struct FieldPage {
    QString page;         // a stored response: status line, headers and HTML, CR LF line ends
    QStringList patterns; // one per field, in the scripts' dialect
};

// A page of about `size` characters with `fields` field values spread over it (every
// eleventh field is missing, so its pattern scans the whole page for nothing).
FieldPage buildFieldPage(qsizetype size, int fields);

// A page fragment of about `size` characters for stripTag: tags, scripts, entities, blanks.
QString buildFragment(qsizetype size);

} // namespace trouvel::bench
