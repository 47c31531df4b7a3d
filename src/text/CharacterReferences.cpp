#include "text/CharacterReferences.h"

#include "text/HexDigit.h"

#include <algorithm>
#include <string_view>

namespace trouvel::text {

namespace {

struct NamedReference {
    const char* name;       // without the '&'; with the ';' where the name has one
    const char16_t* value;
};

#include "CharacterReferenceTable.inc"

// Longest name of the list is 32 characters, its ';' included.
constexpr qsizetype kLongestName = 32;

// 128-159 as windows-1252 reads them; 0 where it has no character (the number stands for itself).
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isAsciiAlnum(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

// The list's entry spelled exactly `name`, or nothing.
const NamedReference* findName(QStringView name)
{
    const auto less = [](const NamedReference& entry, QStringView key) {
        const std::string_view n(entry.name);
        const qsizetype common = std::min<qsizetype>(qsizetype(n.size()), key.size());
        for (qsizetype i = 0; i < common; ++i) {
            if (char16_t(n[std::size_t(i)]) != key[i].unicode())
                return char16_t(n[std::size_t(i)]) < key[i].unicode();
        }
        return qsizetype(n.size()) < key.size();
    };
    const NamedReference* end = kNamedReferences + kNamedReferenceCount;
    const NamedReference* found = std::lower_bound(kNamedReferences, end, name, less);
    if (found != end && QLatin1StringView(found->name) == name)
        return found;
    return nullptr;
}

// A numeric reference at `text` (just after "&#"): its length from there and its text, or 0.
qsizetype numericReference(QStringView text, QString& out)
{
    const bool hex = !text.isEmpty() && (text[0] == u'x' || text[0] == u'X');
    qsizetype at = hex ? 1 : 0;
    char32_t code = 0;
    const qsizetype digitsFrom = at;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        const int digit = hex ? hexDigitValue(c) : (c >= u'0' && c <= u'9' ? c - u'0' : -1);
        if (digit < 0)
            break;
        code = std::min<char32_t>(code * (hex ? 16 : 10) + char32_t(digit), 0x110000); // saturates past the last
    }
    if (at == digitsFrom)
        return 0;
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    if (at < text.size() && text[at] == u';')
        ++at;
    if (code >= 0x80 && code <= 0x9F && kWindows1252[code - 0x80] != code)
        code = kWindows1252[code - 0x80];
    out.append(QStringView(QChar::fromUcs4(code)));
    return at;
}

// A named reference at `text` (just after "&"): its length from there and its text, or 0.
qsizetype namedReference(QStringView text, ReferenceContext context, QString& out)
{
    qsizetype run = 0;
    while (run < text.size() && run < kLongestName && isAsciiAlnum(text[run]))
        ++run;
    if (run == 0)
        return 0;
    if (run < text.size() && text[run] == u';') {
        if (const NamedReference* entry = findName(text.first(run + 1))) {
            out.append(QStringView(entry->value));
            return run + 1;
        }
    }
    // Only the old names go without ';': the longest of them that starts the run.
    for (qsizetype length = std::min<qsizetype>(run, 6); length >= 2; --length) {
        const NamedReference* entry = findName(text.first(length));
        if (!entry)
            continue;
        if (context == ReferenceContext::Attribute && length < text.size()
            && (text[length] == u'=' || isAsciiAlnum(text[length])))
            return 0;
        out.append(QStringView(entry->value));
        return length;
    }
    return 0;
}

} // namespace

QString decodeCharacterReferences(QStringView text, ReferenceContext context)
{
    qsizetype at = text.indexOf(u'&');
    if (at < 0)
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    for (; at >= 0; at = text.indexOf(u'&', at)) {
        out.append(text.sliced(copied, at - copied));
        const QStringView rest = text.sliced(at + 1);
        qsizetype taken = 0; // after the '&'
        if (!rest.isEmpty() && rest[0] == u'#') {
            if (const qsizetype number = numericReference(rest.sliced(1), out))
                taken = 1 + number;
        } else {
            taken = namedReference(rest, context, out);
        }
        if (taken == 0)
            out.append(u'&'); // not a reference: the '&' stays
        at += 1 + taken;
        copied = at;
    }
    out.append(text.sliced(copied));
    return out;
}

} // namespace trouvel::text
