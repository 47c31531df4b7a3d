// RFC 4180 comma-separated values: fields that hold a comma, a double quote or a line break
// are quoted, quotes doubled inside; records end with CR LF. The reader also takes bare LF
// or CR record ends, so files edited elsewhere still open.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <span>

namespace cadrelle::csv {

// Splits text into records. Returns an empty string on success, otherwise a message naming
// the line where the text stops being valid (rows then holds nothing usable). Empty lines
// between records are skipped.
QString parse(QStringView text, QList<QStringList>& rows);
// The same, handing each record to onRecord as it is read (it may take the cells); a
// non-empty answer stops the reading and is returned.
QString parse(QStringView text, const std::function<QString(QStringList& record)>& onRecord);

// Appends one record, CR LF included, to out: the fields as UTF-8 bytes, or as strings.
void appendRecord(QByteArray& out, std::span<const QByteArrayView> fields);
void appendRecord(QByteArray& out, const QStringList& fields);

} // namespace cadrelle::csv
