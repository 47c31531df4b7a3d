// One pass of the workbench over its pages: every match of the pattern shown (its kept groups
// apart), or how far it gets when it matches nothing, and what the wizard's own extraction
// cuts out of the two pages with the script as edited (candidates, fields, picture address).
// It runs off the window's thread and is abandoned through keepGoing when the author types on.
#pragma once

#include "wizard/Extraction.h"
#include "wizard/PatternExplanation.h"
#include "wizard/WizardModel.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace trouvel::atelier {

// The most matches one pass marks in the page; beyond, they are counted only.
inline constexpr int kMaxHighlights = 2000;

struct PatternJob {
    QByteArray script;   // the script's content, the edits written in
    QString searchPage;  // the stored pages as their patterns read them (decoded)
    QString filmPage;
    bool searchIsJson = false; // the stored page says its body is JSON
    bool filmIsJson = false;
    QString filmAddress; // where the film page ended: the picture address is resolved against it
    // The pattern shown, as the step reads it, and the groups the step keeps (from 1).
    QString pattern;
    std::vector<int> kept;
    bool onFilmPage = false;
    wizard::ReadMatch read = wizard::ReadMatch::First;
};

struct Highlight {
    qsizetype from = 0;
    qsizetype length = 0;
    std::vector<wizard::GroupSpan> groups; // the kept ones
};

struct FieldRow {
    QString name;
    QString value;
    bool ticked = true; // false: the pattern matched nothing (or is in error)
    QString why;
};

struct PatternOutcome {
    bool stopped = false; // abandoned: a newer pass replaces it
    bool onFilmPage = false;
    bool noPage = false;  // the pattern's page is empty: nothing was fetched yet
    int matches = 0;
    std::vector<Highlight> shown; // the first kMaxHighlights
    // The match the step reads (or, with none, how far the pattern gets, or its error), and
    // that in one line of French.
    wizard::PatternExplanation explanation;
    QString explanationText;
    std::vector<wizard::Candidate> candidates;
    QString candidatesError;
    std::vector<FieldRow> fields;
    wizard::PictureAddress picture;
};

// scratchFile: where the edited script is written for the extraction, which reads a script
// by path (one file per worker: passes never run at once on it).
PatternOutcome runPatterns(const PatternJob& job, const QString& scratchFile, const wizard::KeepGoing& keepGoing);

} // namespace trouvel::atelier
