// RFC 4180 comma-separated values: fields that hold a comma, a double quote or a line break
// are quoted, quotes doubled inside; records end with CR LF. The reader also takes bare LF
// or CR record ends, so files edited elsewhere still open.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace cadrelle::csv {

// Splits text into records. Returns an empty string on success, otherwise a message naming
// the line where the text stops being valid (rows then holds nothing usable). Empty lines
// between records are skipped.
QString parse(QStringView text, QList<QStringList>& rows);

// Appends one record, CR LF included, to out.
void appendRecord(QString& out, const QStringList& fields);

} // namespace cadrelle::csv
