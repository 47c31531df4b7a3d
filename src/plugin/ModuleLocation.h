// Where the plug-in finds its scripts and writes the working files of its fetches.
#pragma once

#include <trouvel/Trouvel.h>

#include <QString>

namespace trouvel::plugin {

// Folder of the module file this code is linked into, found at run time.
QString moduleFolder();

// The user's own folder for the plug-in, which the host searches for plug-ins too:
// "$XDG_DATA_HOME/cadrelle/plugins/Trouvel". Its "scripts" folder holds the user's scripts.
QString userPluginFolder();

// The folder for "tmp.txt" and "image.jpg": pluginFolder itself when it is writable,
// otherwise cacheFolder (created when missing). Throws trouvel::Error when neither can be used.
QString workFolderFor(const QString& pluginFolder, const QString& cacheFolder);

// The per-user cache folder used when the plug-in's own folder is read-only:
// "$XDG_CACHE_HOME/trouvel", as the command-line tool's. An empty "Trouvel" beside it (the
// folder of earlier versions) is removed.
QString userCacheFolder();

} // namespace trouvel::plugin
