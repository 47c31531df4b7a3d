// What a key of the script shows in the pages: the pattern as the step reads it, the groups
// it keeps and the page it runs over. A group number shows the search Pattern with that
// group alone; a field's pattern is read up to a second "|", as the wizard reads it.
#pragma once

#include "ScriptPatterns.h"

#include "wizard/PatternExplanation.h"

#include <QString>

#include <vector>

namespace trouvel::atelier {

struct PatternShown {
    QString pattern;
    std::vector<int> kept; // from 1
    bool onFilmPage = false;
    wizard::ReadMatch read = wizard::ReadMatch::First;
};

PatternShown patternShown(const ScriptEdits& edits, int key);

// Why the wizard does not read a field's pattern whole ("" when it does): it stops at a "|".
QString cutWarning(const QString& pattern);

} // namespace trouvel::atelier
