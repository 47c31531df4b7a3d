// trouvel record SCRIPT TITRE: runs the steps as try does and keeps everything needed to
// replay them offline (requests, responses as received, picture, outcome) in one folder
// per title.
#pragma once

#include "picture/Picture.h"

#include <QStringList>

namespace trouvel::cli {

// decodePicture: how pictures are read; empty: each session loads the decoder module itself.
int runRecord(const QStringList& args, const picture::PictureDecode& decodePicture = {});

} // namespace trouvel::cli
