// What the steps came to for the current entry, as the last search or detail step left it:
// what an unattended walk reports for each entry.
#pragma once

#include <QString>

namespace trouvel::wizard {

struct EntryOutcome {
    enum class Kind { Filled, Ambiguous, NotFound, Failed };
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

} // namespace trouvel::wizard
