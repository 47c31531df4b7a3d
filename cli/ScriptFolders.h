// The plug-in's scripts folders that a script NAME is looked for in (`try NOM`, `batch
// --script NOM`...), as `trouvel --help` lists them: the user's own first, as in the wizard.
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::cli {

// The "scripts" folder of Trouvel in each plug-in root of an executable in exeFolder, in
// search order: the user's own ($XDG_DATA_HOME/cadrelle/plugins) first, so that a script of
// theirs hides a bundled one of the same name, then the others; only those that exist.
QStringList scriptFolders(const QString& exeFolder);

// The closing paragraph of the help: those folders, one a line, or that there is none.
QString scriptFoldersHelp(const QString& exeFolder);

// A script named on the command line: a file, or a name in the scripts folders of the
// executable in exeFolder; "" with *problem set when there is none, or when the one found
// cannot be used (see config::scriptFileProblem).
QString findScript(const QString& nameOrFile, const QString& exeFolder, QString* problem);

} // namespace trouvel::cli
