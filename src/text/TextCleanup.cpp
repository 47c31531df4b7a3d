#include "text/TextCleanup.h"

#include "text/RegExp.h"

#include <array>
#include <utility>

namespace trouvel::text {

namespace {

// Applied in this order, each a case-sensitive plain replacement.
const std::array<std::pair<const char*, char16_t>, 11> kEntities = {{
    {"&agrave;", u'\u00E0'},
    {"&acirc;", u'\u00E2'},
    {"&ccedil;", u'\u00E7'},
    {"&eacute;", u'\u00E9'},
    {"&egrave;", u'\u00E8'},
    {"&ecirc;", u'\u00EA'},
    {"&euml;", u'\u00EB'},
    {"&icirc;", u'\u00EE'},
    {"&iuml;", u'\u00EF'},
    {"&ocirc;", u'\u00F4'},
    {"&ugrave;", u'\u00F9'},
}};

// One pass for the whole table. Equal to replacing each entity in turn, in the table's
// order: every name begins with '&' and holds no other, and no replacement holds one, so
// no replacement can make or break another match.
QString decodeEntities(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    QString out;
    out.reserve(text.size());
    const QStringView view(text);
    qsizetype copied = 0;
    for (qsizetype at = view.indexOf(u'&'); at >= 0; at = view.indexOf(u'&', at + 1)) {
        for (const auto& [entity, character] : kEntities) {
            const QLatin1String name(entity);
            if (view.mid(at).startsWith(name)) {
                out.append(view.mid(copied, at - copied));
                out.append(QChar(character));
                copied = at + name.size();
                at = copied - 1;
                break;
            }
        }
    }
    out.append(view.mid(copied));
    return out;
}

} // namespace

QString trimBlanks(const QString& str)
{
    qsizetype begin = 0;
    qsizetype end = str.size();
    while (begin < end && str.at(begin) == u' ')
        ++begin;
    while (end > begin && str.at(end - 1) == u' ')
        --end;
    return str.mid(begin, end - begin);
}

QString stripTag(RegExp& reg2, const QString& str)
{
    reg2.Pattern(QStringLiteral("<script([\\s\\S]*?)</script>"));
    QString text = reg2.Replace(str, QString());
    // Tags that break the line in a browser separate words: they become a blank, which the
    // white-space pass merges with any blank already there ("Drame<br>de X" is "Drame de X").
    reg2.Pattern(QStringLiteral("</?(?:br|p|div|li|tr|td|th|h[1-6])\\b.*?>"));
    text = reg2.Replace(text, QStringLiteral(" "));
    // "." stops at a line feed: a tag broken over two lines is left as it is.
    reg2.Pattern(QStringLiteral("<(.*?)>"));
    text = reg2.Replace(text, QString());
    // Before the white-space pass, so that this blank merges with the blanks around it.
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "), Qt::CaseSensitive);
    reg2.Pattern(QStringLiteral("\\s+"));
    text = reg2.Replace(text, QStringLiteral(" "));
    return trimBlanks(decodeEntities(text));
}

QString stripFileName(const QString& str)
{
    QString name = str;
    for (const char16_t c : u"\\/:*?<>|") {
        if (c != 0)
            name.replace(QChar(c), QLatin1Char('-'));
    }
    // One left-to-right pass: a run of n hyphens becomes ceil(n / 2).
    name.replace(QStringLiteral("--"), QStringLiteral("-"));
    return trimBlanks(name);
}

} // namespace trouvel::text
