// Reads a pattern of the scripts' dialect (ECMAScript 3rd edition with the browsers'
// legacy extensions) and writes the PCRE2 pattern that matches the same way, or rejects
// it with the dialect's syntax error.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace trouvel::text {

struct TranslatedPattern {
    // PCRE2 syntax for the 16-bit library in non-UTF mode: one code unit, one character.
    std::u16string pcre;
    int groupCount = 0; // capture groups of the script's pattern
    // PCRE2 group number of each of the script's groups (index 0 unused).
    std::vector<int> groupSlot;
    // For each of the script's groups, the marker groups of the repetitions around it. A
    // marker records where the last iteration began: a group that last matched before
    // that point belongs to an earlier iteration, and the dialect forgets it.
    std::vector<std::vector<int>> groupMarkers;
    // The dialect refuses an iteration of a repetition that matches the empty string once
    // the minimum count is reached; PCRE2 accepts it and stops. Each check is run by a
    // callout at the end of the iteration: "(?Ck)" for k up to 255, else "(?C{k})".
    // A check of the second kind (countMin >= 0) stands for a count PCRE2 cannot write:
    // one character repeated, whose length since the marker must lie in [countMin, countMax].
    struct EmptyCheck {
        int marker = 0;         // group that marks where the iteration began
        int loopStart = -1;     // group that marks where the repetition began, or -1
        bool neverEmpty = true; // minimum 0: no iteration may be empty
        long long countMin = -1;
        long long countMax = -1; // -1: no upper bound
    };
    std::vector<EmptyCheck> emptyChecks;
    // To be compiled with PCRE2_NO_AUTO_POSSESS: a large count's callout must be able to
    // backtrack into the repetition before it, which PCRE2 would otherwise make possessive.
    bool countChecks = false;
    // To be compiled with PCRE2_UCP (see translatePattern).
    bool unicodeCaseless = false;
};

struct TranslateOptions {
    bool ignoreCase = false;
    bool multiline = false;
    bool unicodeCaseless = false; // set by translatePattern itself
};

// Throws RegExpError (text/RegExp.h) naming the problem and its position in `pattern`.
TranslatedPattern translatePattern(const QString& pattern, TranslateOptions options);

} // namespace trouvel::text
