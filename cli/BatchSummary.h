// What trouvel batch prints at the end of a walk (and on a resume that has nothing left): the
// counts of each outcome and the entries left aside under each.
#pragma once

#include "ResultLog.h"

#include <QString>

#include <functional>

namespace trouvel::cli {

struct BatchSummary {
    ResultLog entries;
    bool interrupted = false;
    bool written = false; // the catalogue file was rewritten
    int count(Outcome outcome) const;
    // Filled entries whose picture the site names but which did not come (or is unreadable).
    int picturesMissing() const;
    // Something the run meant to fetch or save did not make it: the exit status is then 1.
    bool incomplete() const { return count(Outcome::Failed) + count(Outcome::PictureNotStored) + picturesMissing() > 0; }
    // The counts, and the entries left aside under each, a line at a time.
    void write(const std::function<void(const QString& line)>& line) const;
    QString text() const;
};

// How an entry's outcome reads in the progress line ("rempli", "ambigu, 3 candidats", ...).
QString outcomeText(const EntryResult& result);

} // namespace trouvel::cli
