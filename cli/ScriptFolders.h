// The plug-in's scripts folders that `batch --script NOM` looks in, as `trouvel --help`
// lists them.
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::cli {

// The "scripts" folder of Trouvel in each plug-in root of an executable in exeFolder, in
// search order; only those that exist.
QStringList scriptFolders(const QString& exeFolder);

// The closing paragraph of the help: those folders, one a line, or that there is none.
QString scriptFoldersHelp(const QString& exeFolder);

} // namespace trouvel::cli
