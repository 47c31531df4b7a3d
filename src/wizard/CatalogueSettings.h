// What the wizard remembers per catalogue folder, in the user's settings: the script last used
// there (mappings are per folder, so the script is too) and whether "Sauvegarde Auto" may
// replace values already filled.
#pragma once

#include "config/Settings.h"

#include <QString>

namespace trouvel::wizard {

class CatalogueSettings {
public:
    CatalogueSettings(config::SettingsStore& store, QString appName, QString folder);

    QString script() const; // "" when none was used in this folder
    void setScript(const QString& name);
    bool replacesExisting() const; // "Remplacer les valeurs existantes", off by default
    void setReplacesExisting(bool replace);

private:
    // "Catalogue <16 hex digits of the folder's SHA-1>": a folder path may hold any character.
    QString section() const;
    void save(const QString& key, const QString& value);

    config::SettingsStore& store_;
    QString appName_;
    QString folder_;
};

} // namespace trouvel::wizard
