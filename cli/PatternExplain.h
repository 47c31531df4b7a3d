// trouvel try --explain: where each pattern of the script matched in the page it was run on
// (line, column and an excerpt with the kept groups marked), or how far it got, so that an
// author sees why a field came out empty.
#pragma once

#include "WizardSession.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace trouvel::cli {

// The search pattern against pages[0], and when the detail step ran every field pattern and
// PatternImg against pages[1]; one line each.
QString explainPatterns(const QString& scriptFile, const std::vector<PageFetch>& pages, bool detailRan);

} // namespace trouvel::cli
