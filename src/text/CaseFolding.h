// Case-insensitive matching as the script dialect defines it: two code units match when
// their upper-case forms are the same single code unit, where a non-ASCII unit never
// folds onto an ASCII one (so 'ſ' does not match 's', nor the Kelvin sign 'k').
#pragma once

#include "text/CharSet.h"

namespace trouvel::text {

// The dialect's Canonicalize for a code unit when ignoring case.
char16_t canonicalCase(char16_t c);

// Every code unit that matches some member of `set` when case is ignored.
CharSet caseClosure(const CharSet& set);

} // namespace trouvel::text
