#include "text/FilmIdentity.h"

#include <QRegularExpression>
#include <QStringList>

namespace trouvel::text {

namespace {

QString withoutTrailingYear(const QString& title)
{
    static const QRegularExpression trailingYear(
        QStringLiteral("\\s*(?:[(\\[]\\s*(?:18|19|20)\\d\\d\\s*[)\\]]|[-\u2013\u2014,/]\\s*(?:18|19|20)\\d\\d)\\s*$"));
    QString stripped = title;
    stripped.remove(trailingYear);
    return stripped;
}

QString ligaturesSpelled(QString text)
{
    text.replace(QChar(0x0153), QLatin1String("oe")).replace(QChar(0x0152), QLatin1String("oe"));
    text.replace(QChar(0x00E6), QLatin1String("ae")).replace(QChar(0x00C6), QLatin1String("ae"));
    text.replace(QChar(0x00DF), QLatin1String("ss"));
    return text;
}

// A page title's leading parts, cut at its separators: "A - B | C" gives "A", "A - B", "A - B | C".
QStringList leadingParts(const QString& text)
{
    static const QRegularExpression separator(QStringLiteral("\\s+[-|\u2013\u2014\u00B7:]\\s+"));
    QStringList parts;
    QRegularExpressionMatchIterator it = separator.globalMatch(text);
    while (it.hasNext())
        parts << text.left(it.next().capturedStart());
    parts << text;
    return parts;
}

} // namespace

QString comparableTitle(const QString& title)
{
    const QString decomposed = ligaturesSpelled(withoutTrailingYear(title)).normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString out;
    out.reserve(decomposed.size());
    bool blank = true; // no blank at the start
    for (const QChar c : decomposed) {
        if (c.isMark())
            continue;
        if (c.isLetterOrNumber()) {
            out += c;
            blank = false;
        } else if (!blank) {
            out += u' ';
            blank = true;
        }
    }
    if (out.endsWith(u' '))
        out.chop(1);
    return out;
}

bool namesTitle(const QString& entryTitle, const QString& text, TitleSource source)
{
    const QString wanted = comparableTitle(entryTitle);
    if (wanted.isEmpty())
        return false;
    if (source == TitleSource::Candidate)
        return comparableTitle(text) == wanted;
    for (const QString& part : leadingParts(text.simplified()))
        if (comparableTitle(part) == wanted)
            return true;
    return false;
}

std::optional<int> yearIn(const QString& text)
{
    static const QRegularExpression year(QStringLiteral("(?<!\\d)(1[89]\\d\\d|20\\d\\d|2100)(?!\\d)"));
    const QRegularExpressionMatch match = year.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int value = match.captured(1).toInt();
    return value >= 1870 ? std::optional<int>(value) : std::nullopt;
}

} // namespace trouvel::text
