// A word the tool prints for the user to paste into a shell: a path with spaces or quotes in
// it stays one word.
#pragma once

#include <QString>

namespace trouvel::cli {

// text as it is when the shell would read it back unchanged, else in single quotes (a single
// quote inside written '\'').
QString shellWord(const QString& text);

} // namespace trouvel::cli
