// trouvel record SCRIPT TITRE: runs the steps as try does and keeps everything needed to
// replay them offline (requests, responses as received, picture, outcome) in one folder
// per title.
#pragma once

#include <QStringList>

namespace trouvel::cli {

int runRecord(const QStringList& args);

} // namespace trouvel::cli
