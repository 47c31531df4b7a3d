// Build step: writes out the code units that share one canonical form, class by class, as
// C++ tables, so that no run has to look at every code unit to find them.
#include "text/CanonicalCase.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    // (canonical form, unit) for the units that are not their own form, grouped by form.
    std::vector<std::pair<char16_t, char16_t>> folded;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const char16_t canon = trouvel::text::canonicalCaseOf(char16_t(c));
        if (canon != c)
            folded.emplace_back(canon, char16_t(c));
    }
    std::sort(folded.begin(), folded.end());
    std::vector<char16_t> units;
    std::vector<unsigned> starts;
    for (auto first = folded.begin(); first != folded.end();) {
        const char16_t canon = first->first;
        std::vector<char16_t> members;
        for (; first != folded.end() && first->first == canon; ++first)
            members.push_back(first->second);
        if (trouvel::text::canonicalCaseOf(canon) == canon)
            members.push_back(canon);
        if (members.size() < 2)
            continue;
        starts.push_back(unsigned(units.size()));
        units.insert(units.end(), members.begin(), members.end());
    }
    starts.push_back(unsigned(units.size()));

    std::FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    std::fprintf(out, "// Written at build time from Qt's case mapping.\n");
    std::fprintf(out, "constexpr char16_t kCaseClassUnits[] = {");
    for (std::size_t i = 0; i < units.size(); ++i)
        std::fprintf(out, "%s0x%x,", i % 12 == 0 ? "\n    " : " ", unsigned(units[i]));
    std::fprintf(out, "\n};\nconstexpr unsigned short kCaseClassStarts[] = {");
    for (std::size_t i = 0; i < starts.size(); ++i)
        std::fprintf(out, "%s%u,", i % 12 == 0 ? "\n    " : " ", starts[i]);
    // The same units sorted, each with the index of its class: what a set's ranges are
    // walked against.
    std::vector<std::pair<char16_t, unsigned>> sorted;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k)
        for (unsigned i = starts[k]; i < starts[k + 1]; ++i)
            sorted.emplace_back(units[i], unsigned(k));
    std::sort(sorted.begin(), sorted.end());
    std::fprintf(out, "\n};\nconstexpr char16_t kCaseSortedUnits[] = {");
    for (std::size_t i = 0; i < sorted.size(); ++i)
        std::fprintf(out, "%s0x%x,", i % 12 == 0 ? "\n    " : " ", unsigned(sorted[i].first));
    std::fprintf(out, "\n};\nconstexpr unsigned short kCaseSortedClass[] = {");
    for (std::size_t i = 0; i < sorted.size(); ++i)
        std::fprintf(out, "%s%u,", i % 12 == 0 ? "\n    " : " ", sorted[i].second);
    std::fprintf(out, "\n};\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
