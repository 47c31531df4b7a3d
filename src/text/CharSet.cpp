#include "text/CharSet.h"

#include <algorithm>

namespace trouvel::text {

CharSet CharSet::single(char16_t c)
{
    CharSet s;
    s.add(c);
    return s;
}

CharSet CharSet::digits()
{
    CharSet s;
    s.add(u'0', u'9');
    return s;
}

CharSet CharSet::wordChars()
{
    CharSet s;
    s.add(u'0', u'9');
    s.add(u'A', u'Z');
    s.add(u'_');
    s.add(u'a', u'z');
    return s;
}

CharSet CharSet::spaces()
{
    CharSet s;
    s.add(u'\t', u'\r');
    s.add(u' ');
    return s;
}

CharSet CharSet::all()
{
    CharSet s;
    s.add(0, 0xFFFF);
    return s;
}

void CharSet::add(char16_t lo, char16_t hi)
{
    // Insert keeping the ranges sorted, then merge whatever now touches or overlaps.
    auto it = std::lower_bound(ranges_.begin(), ranges_.end(), Range{lo, hi});
    it = ranges_.insert(it, Range{lo, hi});
    if (it != ranges_.begin())
        --it;
    auto out = it;
    for (auto in = std::next(it); in != ranges_.end(); ++in) {
        if (char32_t(in->first) <= char32_t(out->second) + 1) {
            out->second = std::max(out->second, in->second);
        } else {
            ++out;
            *out = *in;
        }
    }
    ranges_.erase(std::next(out), ranges_.end());
}

void CharSet::add(const CharSet& other)
{
    for (const Range& r : other.ranges_)
        add(r.first, r.second);
}

CharSet CharSet::complement() const
{
    CharSet result;
    char32_t next = 0;
    for (const Range& r : ranges_) {
        if (r.first > next)
            result.ranges_.emplace_back(char16_t(next), char16_t(r.first - 1));
        next = char32_t(r.second) + 1;
    }
    if (next <= 0xFFFF)
        result.ranges_.emplace_back(char16_t(next), char16_t(0xFFFF));
    return result;
}

bool CharSet::contains(char16_t c) const
{
    auto it = std::upper_bound(ranges_.begin(), ranges_.end(), Range{c, 0xFFFF});
    return it != ranges_.begin() && std::prev(it)->second >= c;
}

void appendLiteral(std::u16string& out, char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
        out.push_back(c);
        return;
    }
    static constexpr char16_t hex[] = u"0123456789abcdef";
    out += u"\\x{";
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const int d = (c >> shift) & 0xF;
        if (d || started || shift == 0) {
            out.push_back(hex[d]);
            started = true;
        }
    }
    out.push_back(u'}');
}

void CharSet::appendClassBody(std::u16string& out) const
{
    for (const Range& r : ranges_) {
        appendLiteral(out, r.first);
        if (r.second != r.first) {
            if (r.second != r.first + 1)
                out.push_back(u'-');
            appendLiteral(out, r.second);
        }
    }
}

} // namespace trouvel::text
