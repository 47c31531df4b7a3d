#include "text/PatternItems.h"

namespace trouvel::text {

namespace {

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c.toLower() >= u'a' && c.toLower() <= u'f');
}

// The end of the escape starting at i (pattern[i] is the backslash).
qsizetype escapeEnd(const QString& p, qsizetype i)
{
    qsizetype j = i + 1;
    if (j >= p.size())
        return j;
    const QChar c = p[j++];
    const auto hexRun = [&](int n) {
        qsizetype k = j;
        while (k < p.size() && k - j < n && isHex(p[k]))
            ++k;
        return k - j == n ? k : j;
    };
    if (c == u'x')
        return hexRun(2);
    if (c == u'u')
        return hexRun(4);
    if (c == u'c' && j < p.size() && p[j].isLetter())
        return j + 1;
    if (c.isDigit()) {
        while (j < p.size() && p[j].isDigit())
            ++j;
    }
    return j;
}

// The end of the class starting at i (pattern[i] is "["); a "]" right after "[" or "[^"
// closes it, as the dialect reads an empty class.
qsizetype classEnd(const QString& p, qsizetype i)
{
    qsizetype j = i + 1;
    while (j < p.size() && p[j] != u']')
        j = p[j] == u'\\' ? escapeEnd(p, j) : j + 1;
    return std::min(j + 1, p.size());
}

// The end of a "{n}", "{n,}" or "{n,m}" count at i, or i when the brace is a literal one.
qsizetype countEnd(const QString& p, qsizetype i)
{
    qsizetype j = i + 1;
    const qsizetype digits = j;
    while (j < p.size() && p[j].isDigit())
        ++j;
    if (j == digits)
        return i;
    if (j < p.size() && p[j] == u',') {
        ++j;
        while (j < p.size() && p[j].isDigit())
            ++j;
    }
    return j < p.size() && p[j] == u'}' ? j + 1 : i;
}

// The end of the atom at i: a group runs to its closing parenthesis (or the pattern's end).
qsizetype atomEnd(const QString& p, qsizetype i)
{
    const QChar c = p[i];
    if (c == u'\\')
        return escapeEnd(p, i);
    if (c == u'[')
        return classEnd(p, i);
    if (c != u'(')
        return i + 1;
    int depth = 0;
    qsizetype j = i;
    while (j < p.size()) {
        const QChar d = p[j];
        if (d == u'\\') {
            j = escapeEnd(p, j);
            continue;
        }
        if (d == u'[') {
            j = classEnd(p, j);
            continue;
        }
        ++j;
        if (d == u'(')
            ++depth;
        else if (d == u')' && --depth == 0)
            break;
    }
    return j;
}

bool isAnchor(QChar c)
{
    return c == u'^' || c == u'$';
}

} // namespace

std::vector<qsizetype> patternItemEnds(const QString& pattern)
{
    std::vector<qsizetype> ends;
    qsizetype i = 0;
    while (i < pattern.size()) {
        if (pattern[i] == u'|')
            return {};
        const qsizetype atom = atomEnd(pattern, i);
        qsizetype end = atom;
        if (!isAnchor(pattern[i])) {
            // The quantifier belongs to the atom it repeats, with its lazy mark.
            if (end < pattern.size() && (pattern[end] == u'*' || pattern[end] == u'+' || pattern[end] == u'?'))
                ++end;
            else if (end < pattern.size() && pattern[end] == u'{')
                end = countEnd(pattern, end);
            if (end > atom && end < pattern.size() && pattern[end] == u'?')
                ++end;
        }
        ends.push_back(end);
        i = end;
    }
    return ends;
}

} // namespace trouvel::text
