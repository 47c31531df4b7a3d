// The script dialect's Canonicalize for one UTF-16 code unit when case is ignored; shared by
// the matcher and by the build step that writes out the case classes.
#pragma once

#include <QChar>

namespace trouvel::text {

inline char16_t canonicalCaseOf(char16_t c)
{
    // QChar's simple mapping is QString::toUpper's whenever that gives one unit, and leaves
    // the unit alone where it gives several (ß, ŉ, ᾀ...): no string is needed.
    const char32_t upper = QChar::toUpper(char32_t(c));
    if (upper > 0xFFFF || (c >= 128 && upper < 128))
        return c;
    return char16_t(upper);
}

} // namespace trouvel::text
