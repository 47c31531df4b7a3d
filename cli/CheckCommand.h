// trouvel check SCRIPT [DIR]: replays every recorded title offline and reports what changed
// against its recorded outcome; with --live, fetches the titles again and reports drift.
#pragma once

#include <QStringList>

namespace trouvel::cli {

int runCheck(const QStringList& args);

} // namespace trouvel::cli
