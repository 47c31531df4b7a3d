// Opening the wizard window, as the plug-in's ShowForm does.
#pragma once

#include "common/ModuleState.h"
#include "common/UserInteraction.h"
#include "config/Settings.h"

#include <QString>

namespace trouvel::ui {

struct Environment {
    // Folder of the plug-in module; its "scripts" folder holds the bundled retrieval scripts.
    QString pluginFolder;
    // The user's own folder for the plug-in ("" for none): its "scripts" folder is listed
    // first, and a script there hides the bundled one of the same name.
    QString userFolder;
    // Folder for the fetch working files "tmp.txt" and "image.jpg" (the plug-in folder,
    // or a per-user cache folder when that one is not writable).
    QString workFolder;
    config::SettingsStore* settings = nullptr;
    UserInteraction* ui = nullptr;
};

// Shows the wizard modally on state.HostApp and returns once it has closed. An error while
// the window loads is thrown as trouvel::Error and the window does not open.
void ShowForm(ModuleState& state, const Environment& env);

} // namespace trouvel::ui
