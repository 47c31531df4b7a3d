// Where Cadrelle looks for plug-ins: folders that hold one folder per plug-in, each with the
// module file and whatever the plug-in keeps beside it (Trouvel: its scripts folder).
#pragma once

#include <QString>
#include <QStringList>

namespace cadrelle {

// The user's own plug-in root, $XDG_DATA_HOME/cadrelle/plugins, whether it exists or not.
QString userPluginRoot();

// The plug-in roots for an executable in exeFolder, in search order: the build tree's
// "plugins" folder beside "bin", the installed folder, and the user's own
// ($XDG_DATA_HOME/cadrelle/plugins). Only folders that exist, each once.
QStringList pluginRoots(const QString& exeFolder);

// Module files (*.so) directly inside each plug-in folder of the roots, each once.
QStringList findPluginModules(const QStringList& roots);

} // namespace cadrelle
