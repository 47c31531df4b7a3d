// trouvel lint SCRIPT...: what is wrong in each script, one line per problem; and the same
// warnings, once, at the start of try, record and batch.
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::cli {

// Exit status: 0 when every script is clean, 1 when one has a problem, 2 for a wrong usage or
// a file that cannot be read as a script.
int runLint(const QStringList& args);

// The script's warnings on stderr, each line after "trouvel <command> : avertissement : ".
void warnAboutScript(const QString& scriptFile, const char* command);

} // namespace trouvel::cli
