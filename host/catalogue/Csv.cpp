#include "Csv.h"

#include <vector>

namespace cadrelle::csv {

namespace {

bool needsQuotes(QByteArrayView field)
{
    // A leading U+FEFF would read back as a byte-order mark and be dropped.
    if (field.startsWith("\xEF\xBB\xBF"))
        return true;
    for (const char c : field) {
        if (c == ',' || c == '"' || c == '\n' || c == '\r')
            return true;
    }
    return false;
}

QString errorAt(int line, const QString& what)
{
    return QStringLiteral("ligne %1 : %2").arg(line).arg(what);
}

} // namespace

QString parse(QStringView text, QList<QStringList>& rows)
{
    rows.clear();
    const QString error = parse(text, [&rows](QStringList& record) {
        rows.append(std::move(record));
        return QString();
    });
    if (!error.isEmpty())
        rows.clear();
    return error;
}

QString parse(QStringView text, const std::function<QString(QStringList& record)>& onRecord)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    QStringList record;
    QString field;

    while (i < n) {
        // Start of a record: skip blank lines, which cannot be records of a catalogue.
        if (record.isEmpty() && (text[i] == u'\n' || text[i] == u'\r')) {
            if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            ++i;
            ++line;
            continue;
        }
        // One field.
        field.clear();
        if (text[i] == u'"') {
            const int openedAt = line;
            ++i;
            for (;;) {
                if (i >= n)
                    return errorAt(openedAt, QStringLiteral("guillemet ouvert jamais refermé"));
                const QChar c = text[i];
                if (c == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field.append(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text[i + 1] == u'\n')))
                    ++line;
                field.append(c);
                ++i;
            }
            if (i < n && text[i] != u',' && text[i] != u'\n' && text[i] != u'\r') {
                // A quote that ran over lines was most likely never meant to open a field: say
                // where it opened, not only where another quote happened to close it.
                if (openedAt != line)
                    return errorAt(openedAt, QStringLiteral("guillemet ouvert ici et refermé ligne %1, suivi de texte (guillemet en trop ?)").arg(line));
                return errorAt(line, QStringLiteral("texte après un guillemet fermant"));
            }
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && text[i] != u'\n' && text[i] != u'\r') {
                if (text[i] == u'"')
                    return errorAt(line, QStringLiteral("guillemet au milieu d'un champ sans guillemets"));
                ++i;
            }
            field = text.mid(start, i - start).toString();
        }
        record.append(field);
        // What ends the field.
        if (i >= n) {
            if (QString stop = onRecord(record); !stop.isEmpty())
                return stop;
            record.clear();
            break;
        }
        if (text[i] == u',') {
            ++i;
            if (i >= n) {
                record.append(QString());
                if (QString stop = onRecord(record); !stop.isEmpty())
                    return stop;
                record.clear();
            }
            continue;
        }
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        ++i;
        ++line;
        if (QString stop = onRecord(record); !stop.isEmpty())
            return stop;
        record.clear();
    }
    return {};
}

void appendRecord(QByteArray& out, std::span<const QByteArrayView> fields)
{
    // A record of one empty field would be a blank line, which reading skips: quote it.
    if (fields.size() == 1 && fields.front().isEmpty()) {
        out.append("\"\"\r\n");
        return;
    }
    bool first = true;
    for (const QByteArrayView f : fields) {
        if (!first)
            out.append(',');
        first = false;
        if (needsQuotes(f)) {
            out.append('"');
            qsizetype from = 0;
            for (qsizetype quote; (quote = f.indexOf('"', from)) >= 0; from = quote + 1) {
                out.append(f.sliced(from, quote + 1 - from));
                out.append('"');
            }
            out.append(f.sliced(from));
            out.append('"');
        } else {
            out.append(f);
        }
    }
    out.append("\r\n");
}

void appendRecord(QByteArray& out, const QStringList& fields)
{
    std::vector<QByteArray> utf8;
    utf8.reserve(std::size_t(fields.size()));
    for (const QString& f : fields)
        utf8.push_back(f.toUtf8());
    const std::vector<QByteArrayView> views(utf8.begin(), utf8.end());
    appendRecord(out, views);
}

} // namespace cadrelle::csv
