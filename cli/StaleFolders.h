// The tool's private temporary folders are named after the process that made them
// ("trouvel-<pid>-XXXXXX" in the temporary folder), so that a run killed before it could
// remove its own is cleaned up by the next one.
#pragma once

#include <QString>

namespace trouvel::cli {

// The QTemporaryDir template for this process's private folder under tempRoot.
QString privateFolderTemplate(const QString& tempRoot);

// Removes the private folders under tempRoot left by processes of this user that are no
// longer running; returns how many went. Folders of running processes, of other users, or
// not named by this tool are left alone.
int removeStalePrivateFolders(const QString& tempRoot);

} // namespace trouvel::cli
