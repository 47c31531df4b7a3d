#include "text/JsonText.h"

#include "text/HexDigit.h"

namespace trouvel::text {

namespace {

// The four hex digits at text[at..at+4), or -1.
int hex4(QStringView text, qsizetype at)
{
    if (at + 4 > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const int digit = hexDigitValue(text[i].unicode());
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

QString jsonUnescaped(QStringView text)
{
    if (!text.contains(u'\\'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        const QChar c = text[at];
        if (c != u'\\' || at + 1 >= text.size()) {
            out.append(c);
            ++at;
            continue;
        }
        const char16_t e = text[at + 1].unicode();
        const char16_t simple = e == u'"' ? u'"' : e == u'\\' ? u'\\' : e == u'/' ? u'/' : e == u'b' ? u'\b'
                              : e == u'f' ? u'\f' : e == u'n' ? u'\n' : e == u'r' ? u'\r' : e == u't' ? u'\t' : 0;
        if (simple) {
            out.append(QChar(simple));
            at += 2;
            continue;
        }
        const int unit = e == u'u' ? hex4(text, at + 2) : -1;
        if (unit >= 0 && !QChar::isSurrogate(char32_t(unit))) {
            out.append(QChar(char16_t(unit)));
            at += 6;
            continue;
        }
        if (unit >= 0 && QChar::isHighSurrogate(char32_t(unit)) && at + 7 < text.size() && text[at + 6] == u'\\'
            && text[at + 7] == u'u') {
            const int low = hex4(text, at + 8);
            if (low >= 0 && QChar::isLowSurrogate(char32_t(low))) {
                out.append(QChar(char16_t(unit)));
                out.append(QChar(char16_t(low)));
                at += 12;
                continue;
            }
        }
        // Not an escape JSON has: kept as written.
        out.append(c);
        ++at;
    }
    return out;
}

} // namespace trouvel::text
