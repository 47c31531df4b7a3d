// trouvel batch CATALOGUE.csv --script NAME|FILE: the unattended walk over a catalogue.
#pragma once

#include "picture/Picture.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace trouvel::cli {

// PictureNotStored: the fields were saved, the picture could not be written.
enum class Outcome { Filled, Ambiguous, NotFound, Failed, PictureNotStored };

struct EntryResult {
    EntryResult() = default;
    // An entry's result decided after its steps (no stage: see reportStage).
    EntryResult(int row, QString title, Outcome outcome, int candidates, QString detail)
        : row(row), title(std::move(title)), outcome(outcome), candidates(candidates), detail(std::move(detail)) {}

    int row = 0; // 0-based
    QString title;
    Outcome outcome = Outcome::Failed;
    int candidates = 0;
    QString detail; // why it failed, or a note on a filled entry
    QString stage;  // where it failed or what the note is about: "recherche", "fiche", "image", "enregistrement"
    QStringList candidateTexts; // of an ambiguous search, as the list shows them
    QString retryNote; // why the entry was not tried again although the site might have answered later
};

struct BatchSummary {
    std::vector<EntryResult> entries;
    bool interrupted = false;
    bool written = false; // the catalogue file was rewritten
    int count(Outcome outcome) const;
    QString text() const;
};

// Column and field given to --map as numbers or names; "" when both resolved, else why not.
// columns: the catalogue's captions; fields: the script's field names (field k is fields[k-1]).
QString resolveMapping(const QString& spec, const QStringList& columns, const QStringList& fields, int* column, int* field);

// decodePicture: how pictures are read; empty: each session loads the decoder module itself.
int runBatch(const QStringList& args, const picture::PictureDecode& decodePicture = {});

} // namespace trouvel::cli
