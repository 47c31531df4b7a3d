// trouvel demo DOSSIER: a copy of the demo catalogue and its column mapping where the user
// chooses, and the two commands that try it (the demo site, then cadrelle on the copy).
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::cli {

// The installed demo catalogue: share/trouvel/demo beside the program's bin/ folder (the
// build tree has it at the same place).
QString demoCatalogueFolder();

// Copies demo.csv and Trouvel.ini from the folder `from` into `to`, made when missing. Either
// file already in `to` is left alone and nothing is copied. "" when done, else why.
QString copyDemoCatalogue(const QString& from, const QString& to);

// How to try the copied catalogue: a line saying so, then the two commands, indented. A
// program beside trouvel (in programFolder) is named bare when the PATH finds that one.
QString demoInstructions(const QString& catalogue, const QString& programFolder);

// Runs the command; returns the exit status (1: not copied, 2: wrong command line).
int runDemo(const QStringList& args);

} // namespace trouvel::cli
