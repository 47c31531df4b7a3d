#include "text/CaseFolding.h"

#include "text/CanonicalCase.h"

#include <algorithm>
#include <span>
#include <vector>

namespace trouvel::text {

namespace {

// The code units that share one canonical form, for the forms shared by more than one unit:
// the only units a closure has to visit. Written at build time.
#include "CaseClasses.inc"

} // namespace

char16_t canonicalCase(char16_t c)
{
    return canonicalCaseOf(c);
}

CharSet caseClosure(const CharSet& set)
{
    // The classes with a member in the set, found by walking its ranges over the sorted
    // members: a wide class such as [^<] reaches most of them, a narrow one few.
    const std::size_t classCount = std::size(kCaseClassStarts) - 1;
    const std::span<const char16_t> sorted(kCaseSortedUnits);
    std::vector<bool> reached(classCount);
    bool any = false;
    for (const auto& [lo, hi] : set.ranges()) {
        for (auto it = std::lower_bound(sorted.begin(), sorted.end(), lo); it != sorted.end() && *it <= hi; ++it) {
            reached[kCaseSortedClass[it - sorted.begin()]] = true;
            any = true;
        }
    }
    CharSet result = set;
    if (!any)
        return result;
    for (std::size_t k = 0; k < classCount; ++k) {
        if (!reached[k])
            continue;
        for (unsigned i = kCaseClassStarts[k]; i < kCaseClassStarts[k + 1]; ++i)
            if (!set.contains(kCaseClassUnits[i]))
                result.add(kCaseClassUnits[i]);
    }
    return result;
}

} // namespace trouvel::text
