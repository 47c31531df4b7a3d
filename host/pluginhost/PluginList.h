// The plug-ins a host offers, loaded from their module files: the same plug-in found in two
// folders (its module file copied into the user's folder, say) is offered once.
#pragma once

#include "PluginModule.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace cadrelle {

struct LoadedPlugins {
    std::vector<std::unique_ptr<PluginModule>> modules; // in the order of the files
    QStringList errors;     // a module that did not load, each with why
    QStringList duplicates; // a module left out, with the one kept instead
};

// Loads each file in turn. A plug-in of the same name and version as one already loaded is
// the same plug-in: the first one found is kept, the later copy unloaded.
LoadedPlugins loadPlugins(const QStringList& paths);

} // namespace cadrelle
