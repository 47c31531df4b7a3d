// What the steps came to for one entry, derived from their results in one place: what an
// unattended walk reports for each entry.
#pragma once

#include "wizard/StepResults.h"

#include <QString>

namespace trouvel::wizard {

struct EntryOutcome {
    // PictureNotStored: the fields were saved, the picture could not be written.
    // OtherFilm: the one candidate's title or year is not the entry's (nothing saved).
    enum class Kind { Filled, Ambiguous, NotFound, Failed, PictureNotStored, OtherFilm };
    Kind kind = Kind::Failed;
    int candidates = 0; // rows of the candidate list
    // Where it failed, or what the note on a filled entry is about; "" for none.
    QString stage;
    QString reason; // why it failed, or a note on a filled entry ("sans image")
};

// The stages, as reports name them.
inline const QString kStageSearch = QStringLiteral("recherche");
inline const QString kStageDetail = QStringLiteral("fiche");
inline const QString kStagePicture = QStringLiteral("image");
inline const QString kStageSave = QStringLiteral("enregistrement");

// The entry's outcome after its search and detail steps, and after the save of what they
// found when `save` is given. A failed search stays the outcome whatever follows.
EntryOutcome outcomeOf(const EntrySteps& steps, const SaveResult* save = nullptr);

} // namespace trouvel::wizard
