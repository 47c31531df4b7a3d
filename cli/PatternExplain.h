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

// For a field that drifted: where its pattern matched in the recorded film page, and what
// it does in the live one (its match, or how far it gets and where it stops); two lines.
QStringList explainFieldDrift(const QString& scriptFile, const QString& fieldName, const QByteArray& recordedPage,
                              const QByteArray& livePage);

} // namespace trouvel::cli
