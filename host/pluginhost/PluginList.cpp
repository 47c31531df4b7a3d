#include "PluginList.h"

namespace cadrelle {

LoadedPlugins loadPlugins(const QStringList& paths)
{
    LoadedPlugins loaded;
    for (const QString& path : paths) {
        QString error;
        std::unique_ptr<PluginModule> module = PluginModule::load(path, error);
        if (!module) {
            loaded.errors.append(error);
            continue;
        }
        const PluginInfo& info = module->info();
        const PluginModule* kept = nullptr;
        for (const std::unique_ptr<PluginModule>& other : loaded.modules) {
            if (other->info().name == info.name && other->info().version == info.version)
                kept = other.get();
        }
        if (kept != nullptr) {
            loaded.duplicates.append(QStringLiteral("« %1 » : %2 %3 est déjà chargé depuis « %4 »")
                                         .arg(path, info.name, info.version, kept->path()));
            continue;
        }
        loaded.modules.push_back(std::move(module));
    }
    return loaded;
}

} // namespace cadrelle
