// The per-user settings store, keyed by application name, section and key.
#pragma once

#include <QString>

namespace trouvel::config {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString GetSetting(const QString& appName, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void SaveSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value) = 0;
};

// QSettings-backed store in the user's XDG config folder.
class QSettingsStore : public SettingsStore {
public:
    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override;
};

} // namespace trouvel::config
