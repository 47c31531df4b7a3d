// What is wrong in a retrieval script, as its author needs to hear it: keys and sections
// the program never reads (with the nearest name it does read), fields beyond Count or
// missing below it, group numbers beyond the pattern's groups, patterns that do not compile
// or are cut at a "|", addresses that cannot work, an unknown charset. A pure function of the
// file's bytes, read as the profile reader reads them.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace trouvel::config {

struct LintWarning {
    int line = 0;     // from 1; 0 for the file as a whole
    int column = 0;   // from 1 where a place in the line is meant, else 0
    QString section;  // as written, "" when none
    QString key;      // as written, "" for a section or the whole file
    QString message;  // in French, beginning with the key or section it is about
};

std::vector<LintWarning> lintScript(const QByteArray& content);
// The warnings of a script file, each as lintWarningLine gives it under the file's name;
// nothing when the file cannot be read (the loading says why).
QStringList lintScriptFile(const QString& path);

// "Demo.tvs:12: message" (":12:7:" with a column).
QString lintWarningLine(const QString& fileName, const LintWarning& warning);
// The warnings as a JSON array.
QString lintWarningsJson(const std::vector<LintWarning>& warnings);

} // namespace trouvel::config
