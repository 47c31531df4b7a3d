// trouvel check SCRIPT [DIR]: replays every recorded title offline and reports what changed
// against its recorded outcome; with --live, fetches the titles again and reports drift.
#pragma once

#include "picture/Picture.h"

#include <QStringList>

namespace trouvel::cli {

// decodePicture: how pictures are read; empty: each session loads the decoder module itself.
int runCheck(const QStringList& args, const picture::PictureDecode& decodePicture = {});

} // namespace trouvel::cli
