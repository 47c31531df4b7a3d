#include "Csv.h"

namespace cadrelle::csv {

namespace {

bool needsQuotes(const QString& field)
{
    // A leading U+FEFF would read back as a byte-order mark and be dropped.
    if (field.startsWith(QChar(0xFEFF)))
        return true;
    for (QChar c : field) {
        if (c == u',' || c == u'"' || c == u'\n' || c == u'\r')
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
            if (i < n && text[i] != u',' && text[i] != u'\n' && text[i] != u'\r')
                return errorAt(line, QStringLiteral("texte après un guillemet fermant"));
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
            rows.append(record);
            record.clear();
            break;
        }
        if (text[i] == u',') {
            ++i;
            if (i >= n) {
                record.append(QString());
                rows.append(record);
                record.clear();
            }
            continue;
        }
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        ++i;
        ++line;
        rows.append(record);
        record.clear();
    }
    return {};
}

void appendRecord(QString& out, const QStringList& fields)
{
    // A record of one empty field would be a blank line, which reading skips: quote it.
    if (fields.size() == 1 && fields.first().isEmpty()) {
        out.append(QLatin1String("\"\"\r\n"));
        return;
    }
    bool first = true;
    for (const QString& f : fields) {
        if (!first)
            out.append(u',');
        first = false;
        if (needsQuotes(f)) {
            out.append(u'"');
            for (QChar c : f) {
                if (c == u'"')
                    out.append(u'"');
                out.append(c);
            }
            out.append(u'"');
        } else {
            out.append(f);
        }
    }
    out.append(QLatin1String("\r\n"));
}

} // namespace cadrelle::csv
