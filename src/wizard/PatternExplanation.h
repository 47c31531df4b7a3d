// How a pattern fares in a page, for a script's author: where its first match lies and what
// the groups the step keeps cut out of it, or, when it matches nothing, how far it gets
// (its longest leading run of items that does match) and where in the page that run ends.
#pragma once

#include "wizard/Extraction.h"

#include <QString>

#include <vector>

namespace trouvel::wizard {

struct GroupSpan {
    int group = 0;       // from 1
    qsizetype from = -1; // -1: the group took no part in the match
    qsizetype length = 0;
};

struct PatternExplanation {
    QString error;               // the pattern does not compile, or the match gave up ("" fine)
    qsizetype errorPosition = -1; // where in the pattern, when known
    int matches = 0;
    // With a match: the one the step reads (the first, or the last for a picture).
    qsizetype from = 0;
    qsizetype length = 0;
    std::vector<GroupSpan> kept; // the groups the step keeps, those the pattern has
    // Without one: how far the pattern gets.
    int items = 0;        // top-level items (0: it cannot be cut, a top-level "|")
    int itemsMatched = 0; // the longest leading run that matches
    QString matchedPart;  // that run, as written
    QString failingItem;  // the item after it
    int partialMatches = 0; // where the run matches
    qsizetype partialFrom = 0; // its first match in the page
    qsizetype partialLength = 0;
};

enum class ReadMatch { First, Last };

// The pattern run as the steps run it (keepGoing as theirs); keptGroups from 1.
PatternExplanation explainPattern(const QString& pattern, const QString& page, const std::vector<int>& keptGroups,
                                  ReadMatch read = ReadMatch::First, KeepGoing keepGoing = {});

// One line, in French: "ligne 3, colonne 7 : …<td>⟨1:2019⟩</td>…", or "aucune correspondance
// dans la page ; le début … correspond …", or the pattern's error.
QString explanationText(const PatternExplanation& explanation, const QString& page);

// "ligne L, colonne C" of an offset of page.
QString pagePosition(const QString& page, qsizetype offset);
// page around [from, from + length), on one line, the span in brackets, each kept group
// inside it marked "⟨n:…⟩".
QString pageExcerpt(const QString& page, qsizetype from, qsizetype length, const std::vector<GroupSpan>& groups = {});

} // namespace trouvel::wizard
