// Reading retrieval scripts (.tvs): naming, field definitions and address templates.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace trouvel::config {

// A "Match" value: the field's name, "|", its pattern (further pieces ignored).
struct FieldSpec {
    QString name;
    QString pattern;
    bool hasPattern = false; // false when the value holds no "|"
};
FieldSpec splitFieldSpec(const QString& value);

// Every "%1" in the template replaced by text, unchanged.
QString fillTemplate(const QString& urlTemplate, const QString& text);

// A group number key ("Link", "ShortText", "LongText") as a 0-based sub-match index:
// the number less 1, rounded half to even. Nothing when the text is not a number.
std::optional<int> groupIndex(const QString& value);

// "<pluginFolder>/scripts"
QString scriptsFolder(const QString& pluginFolder);
// "<pluginFolder>/scripts/<name>.tvs"
QString scriptPath(const QString& pluginFolder, const QString& name);
// Script names (file names less their last 4 characters) of the "*.tvs" files in the scripts
// folder, the extension compared exactly, hidden files left out; empty when the folder is
// missing. Sorted by name (letter case ignored, then exact order), so that a stored position
// finds the same script again whatever order the directory lists them in.
QStringList listScripts(const QString& pluginFolder);

} // namespace trouvel::config
