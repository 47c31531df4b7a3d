// Reading retrieval scripts (.tvs): naming, field definitions and address templates.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

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
// The text that, put for every "%1", makes the template give address: fillTemplate's inverse.
// Scheme and host are compared regardless of letter case, a default port (80, 443) as if
// left out. Nothing when no text does, or the template holds no "%1".
std::optional<QString> templateText(const QString& urlTemplate, const QString& address);

// A group number key ("Link", "ShortText", "LongText") as a 0-based sub-match index:
// the number less 1, rounded half to even. Nothing when the text is not a number.
std::optional<int> groupIndex(const QString& value);

// "<pluginFolder>/scripts"
QString scriptsFolder(const QString& pluginFolder);
// "<pluginFolder>/scripts/<name>.tvs", or the file of that name whose extension is written
// in other letter case ("<name>.TVS") when only that one exists.
QString scriptPath(const QString& pluginFolder, const QString& name);

// The largest script file read: real scripts are a few kilobytes, and every step reads it.
inline constexpr qint64 kMaxScriptBytes = 1024 * 1024;
// Why a script file cannot be read as one ("" when it can): missing, not a regular file
// (a device, a folder), larger than kMaxScriptBytes, unreadable, or with lines ended by CR
// alone.
QString scriptFileProblem(const QString& path);
// Script names (file names less their last 4 characters) of the "*.tvs" files in the scripts
// folder that are regular files (or links to them), the extension in any letter case,
// hidden files left out; empty when the folder is
// missing. Sorted by name (letter case ignored, then exact order), so that a stored position
// finds the same script again whatever order the directory lists them in.
QStringList listScripts(const QString& pluginFolder);

// A script the wizard lists: its name and the file it loads.
struct ScriptEntry {
    QString name;
    QString path;
};

// Where the wizard finds its scripts: the "scripts" folders of plug-in folders, or one file
// given by path (the command-line tool), listed under its file name less the extension.
class ScriptSource {
public:
    static ScriptSource pluginFolder(const QString& folder);
    // Several plug-in folders, the first one's scripts listed first: a name found in an earlier
    // folder hides the same name further on. A folder given twice (or "") counts once (not).
    static ScriptSource pluginFolders(const QStringList& folders);
    static ScriptSource singleFile(const QString& path);

    // Each folder's scripts in listScripts' order, folder after folder.
    std::vector<ScriptEntry> entries() const;
    QStringList names() const;
    // The file of a listed name (a name not listed: where it would be, in the first folder).
    QString pathOf(const QString& name) const;

private:
    QStringList folders_; // the plug-in folders, none for a single file
    QString file_;
};

} // namespace trouvel::config
