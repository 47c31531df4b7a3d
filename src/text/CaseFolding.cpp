#include "text/CaseFolding.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace trouvel::text {

namespace {

struct FoldTable {
    std::array<char16_t, 0x10000> canonical{};
    // Cycle through the code units sharing one canonical form (a unit alone points to itself).
    std::array<char16_t, 0x10000> nextEquivalent{};
    // The code units that have another case: the only ones a closure needs to visit.
    std::vector<char16_t> foldable;

    FoldTable()
    {
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            const QString upper = QString(QChar(char16_t(c))).toUpper();
            char16_t canon = char16_t(c);
            if (upper.size() == 1) {
                const char16_t u = upper.at(0).unicode();
                if (!(c >= 128 && u < 128))
                    canon = u;
            }
            canonical[c] = canon;
        }
        std::array<char16_t, 0x10000> lastOfClass{};
        std::array<bool, 0x10000> seen{};
        for (char32_t c = 0; c <= 0xFFFF; ++c)
            nextEquivalent[c] = char16_t(c);
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            const char16_t canon = canonical[c];
            if (!seen[canon]) {
                seen[canon] = true;
                lastOfClass[canon] = char16_t(c);
                continue;
            }
            // Splice c into the cycle of its class, right after the last member added.
            const char16_t last = lastOfClass[canon];
            nextEquivalent[c] = nextEquivalent[last];
            nextEquivalent[last] = char16_t(c);
            lastOfClass[canon] = char16_t(c);
        }
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            if (nextEquivalent[c] != c)
                foldable.push_back(char16_t(c));
        }
    }
};

const FoldTable& table()
{
    static const std::unique_ptr<FoldTable> t = std::make_unique<FoldTable>();
    return *t;
}

} // namespace

char16_t canonicalCase(char16_t c)
{
    return table().canonical[c];
}

CharSet caseClosure(const CharSet& set)
{
    const FoldTable& t = table();
    CharSet result = set;
    for (const char16_t c : t.foldable) {
        if (!set.contains(c))
            continue;
        for (char16_t e = t.nextEquivalent[c]; e != c; e = t.nextEquivalent[e]) {
            if (!result.contains(e))
                result.add(e);
        }
    }
    return result;
}

} // namespace trouvel::text
