// What one run of "Sauvegarde Auto" came to, entry by entry: shown when the walk reaches the
// end of the list, each entry not filled listed with why, so the user can go back to it.
#pragma once

#include "wizard/EntryOutcome.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace trouvel::wizard {

struct WalkEntry {
    int entry = 0; // from 1
    QString title;
    EntryOutcome outcome;
    bool filled() const { return outcome.kind == EntryOutcome::Kind::Filled || outcome.kind == EntryOutcome::Kind::PictureNotStored; }
    // "3 candidats : choisissez", "aucun résultat pour « … »", "titre différent : « … »", ...
    QString why() const;
};

class WalkSummary {
public:
    // An entry's outcome; a later one for the same entry (the user chose a candidate and the
    // walk went on) replaces it.
    void record(WalkEntry entry);
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    const std::vector<WalkEntry>& entries() const { return entries_; }

    int filled() const;
    int withoutPicture() const; // filled, with no picture stored or downloaded
    int count(EntryOutcome::Kind kind) const;
    // "12 entrées : 9 remplies (1 sans image), 1 ambiguë, 1 introuvable, 1 autre film"
    QString countsText() const;

private:
    std::vector<WalkEntry> entries_; // in the order they were first met
};

} // namespace trouvel::wizard
