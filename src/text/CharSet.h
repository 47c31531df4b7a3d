// A set of UTF-16 code units kept as sorted, disjoint ranges: the character classes of a
// pattern before they are written out in PCRE2 syntax.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace trouvel::text {

class CharSet {
public:
    using Range = std::pair<char16_t, char16_t>;

    static CharSet single(char16_t c);
    static CharSet digits();     // \d
    static CharSet wordChars();  // \w
    static CharSet spaces();     // \s: blank, tab, LF, VT, FF, CR
    static CharSet all();

    void add(char16_t lo, char16_t hi);
    void add(char16_t c) { add(c, c); }
    void add(const CharSet& other);
    CharSet complement() const;

    bool empty() const { return ranges_.empty(); }
    bool contains(char16_t c) const;
    bool isSingle() const { return ranges_.size() == 1 && ranges_[0].first == ranges_[0].second; }
    const std::vector<Range>& ranges() const { return ranges_; }

    // The body of a PCRE2 class for these ranges (without the brackets).
    void appendClassBody(std::u16string& out) const;

private:
    std::vector<Range> ranges_;
};

// One code unit written so that PCRE2 reads it as a literal, inside or outside a class.
void appendLiteral(std::u16string& out, char16_t c);

} // namespace trouvel::text
