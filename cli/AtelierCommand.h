// trouvel atelier SCRIPT [TITRE]: the pattern workbench. It is a window, and the tool links
// no widgets, so the command runs the program trouvel-atelier in the tool's place: its
// messages and exit status are the command's.
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::cli {

// Where the workbench program is for a tool in toolFolder (the same place relative to it in
// the build tree and once installed).
QString atelierProgram(const QString& toolFolder);

// Why no window can open here ("" when one can): no display is named.
QString missingDisplay();

// Runs the workbench with args (SCRIPT [TITRE] and its options); returns only when it could
// not be started, with the exit status.
int runAtelier(const QStringList& args);

} // namespace trouvel::cli
