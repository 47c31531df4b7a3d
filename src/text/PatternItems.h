// A pattern of the scripts' dialect cut into its top-level items: each atom (a character,
// an escape, a class, a group, an anchor) with the quantifier that follows it. Every
// leading run of items is itself a pattern, which is how an explanation finds how far a
// pattern gets in a page.
#pragma once

#include <QString>

#include <vector>

namespace trouvel::text {

// Where each top-level item of pattern ends (an offset into pattern, increasing, the last
// one pattern.size()). Empty when the pattern is empty or has a top-level "|", whose
// leading parts are no patterns of their own.
std::vector<qsizetype> patternItemEnds(const QString& pattern);

} // namespace trouvel::text
