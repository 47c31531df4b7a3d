#include "text/CaseFolding.h"

#include "text/CanonicalCase.h"

#include <span>

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
    CharSet result = set;
    const std::size_t classCount = std::size(kCaseClassStarts) - 1;
    for (std::size_t k = 0; k < classCount; ++k) {
        const std::span<const char16_t> members(kCaseClassUnits + kCaseClassStarts[k], kCaseClassUnits + kCaseClassStarts[k + 1]);
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
