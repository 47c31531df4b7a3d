// trouvel batch CATALOGUE.csv --script NAME|FILE: the unattended walk over a catalogue.
#pragma once

#include "BatchSummary.h"
#include "picture/Picture.h"

#include <QString>
#include <QStringList>

namespace trouvel::cli {

// Column and field given to --map as numbers or names; "" when both resolved, else why not.
// columns: the catalogue's captions; fields: the script's field names (field k is fields[k-1]).
QString resolveMapping(const QString& spec, const QStringList& columns, const QStringList& fields, int* column, int* field);

// decodePicture: how pictures are read; empty: each session loads the decoder module itself.
int runBatch(const QStringList& args, const picture::PictureDecode& decodePicture = {});

} // namespace trouvel::cli
