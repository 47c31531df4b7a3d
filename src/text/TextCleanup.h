// Cleanup of text taken from web pages: a captured page fragment into one line of plain
// text for display and storage, and a film title into a file name.
#pragma once

#include <QString>

namespace trouvel::text {

class RegExp;

// Removes script elements and tags, decodes "&nbsp;" and the common French accented
// entities, folds every run of white space into one blank and trims blanks at both ends.
// `reg2` is the window's expression object (all matches, case-insensitive, multi-line);
// only its pattern is changed. Errors of the expression object pass to the caller.
QString stripTag(RegExp& reg2, const QString& str);

// Replaces the characters a file name cannot hold with "-", halves runs of hyphens and
// trims blanks at both ends.
QString stripFileName(const QString& str);

// Removes blanks (U+0020 only, as the host's Trim does) at both ends.
QString trimBlanks(const QString& str);

} // namespace trouvel::text
