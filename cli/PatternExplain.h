// trouvel try --explain: where each pattern of the script matched in the page it was run on
// (line, column and a short excerpt), or that it matched nothing, so that an author sees
// why a field came out empty.
#pragma once

#include "WizardSession.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace trouvel::cli {

// Where the first match of pattern lies in page: "ligne L, colonne C : « excerpt »", with
// the match count; "aucune correspondance" or the pattern's error otherwise. The pattern is
// run as the steps run it (global, multiline, letter case ignored).
QString explainMatch(const QString& pattern, const QString& page);

// The search pattern against pages[0], and when the detail step ran every field pattern and
// PatternImg against pages[1]; one line each.
QString explainPatterns(const QString& scriptFile, const std::vector<PageFetch>& pages, bool detailRan);

} // namespace trouvel::cli
