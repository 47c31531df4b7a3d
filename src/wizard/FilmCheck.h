// Checks that keep an unattended walk from filling an entry with another film: a single
// candidate must name the entry's title, and the film's year must agree with the entry's.
#pragma once

#include "wizard/HostEntries.h"
#include "wizard/StepResults.h"

#include <QString>

#include <vector>

namespace trouvel::wizard {

// "titre différent : « … »" when the only candidate does not name the entry's title, "" when
// it does. directHit: its text is the film page's own title (text::TitleSource::PageTitle).
QString differentTitle(const QString& entryTitle, const Candidate& only, bool directHit);

// Whether a column caption names a year column ("Année", "Année de sortie", "Year", "An").
bool isYearCaption(const QString& caption);

// "année différente : la fiche indique 1995, le site 2021" when a field is mapped to the
// entry's year column, the column holds a year and the field's differs by more than one; ""
// otherwise (nothing to compare says nothing).
QString differentYear(const std::vector<FieldResult>& fields, const HostEntries& entries, int row);

} // namespace trouvel::wizard
