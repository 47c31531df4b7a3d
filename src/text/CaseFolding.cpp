#include "text/CaseFolding.h"

#include <QChar>

#include <algorithm>
#include <utility>
#include <vector>

namespace trouvel::text {

namespace {

// The code units that share one canonical form, for the few hundred forms shared by more
// than one unit: the only units a closure has to visit.
using CaseClasses = std::vector<std::vector<char16_t>>;

CaseClasses buildCaseClasses()
{
    // (canonical form, unit) for the units that are not their own form, grouped by form.
    std::vector<std::pair<char16_t, char16_t>> folded;
    folded.reserve(2048);
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const char16_t canon = canonicalCase(char16_t(c));
        if (canon != c)
            folded.emplace_back(canon, char16_t(c));
    }
    std::sort(folded.begin(), folded.end());
    CaseClasses classes;
    for (auto first = folded.begin(); first != folded.end();) {
        const char16_t canon = first->first;
        std::vector<char16_t> members;
        for (; first != folded.end() && first->first == canon; ++first)
            members.push_back(first->second);
        if (canonicalCase(canon) == canon)
            members.push_back(canon);
        if (members.size() > 1)
            classes.push_back(std::move(members));
    }
    return classes;
}

const CaseClasses& caseClasses()
{
    static const CaseClasses classes = buildCaseClasses();
    return classes;
}

} // namespace

char16_t canonicalCase(char16_t c)
{
    // QChar's simple mapping is QString::toUpper's whenever that gives one unit, and leaves
    // the unit alone where it gives several (ß, ŉ, ᾀ...): no string is needed.
    const char32_t upper = QChar::toUpper(char32_t(c));
    if (upper > 0xFFFF || (c >= 128 && upper < 128))
        return c;
    return char16_t(upper);
}

CharSet caseClosure(const CharSet& set)
{
    CharSet result = set;
    for (const std::vector<char16_t>& members : caseClasses()) {
        bool reached = false;
        for (const char16_t c : members)
            reached = reached || set.contains(c);
        if (!reached)
            continue;
        for (const char16_t c : members) {
            if (!result.contains(c))
                result.add(c);
        }
    }
    return result;
}

} // namespace trouvel::text
