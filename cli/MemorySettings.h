// A per-user settings store that lives for one run: the tool chooses its script itself and
// must not move the window's remembered script position.
#pragma once

#include "config/Settings.h"

#include <QHash>

namespace trouvel::cli {

class MemorySettings : public config::SettingsStore {
public:
    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override
    {
        return values_.value(appName + u'/' + section + u'/' + key, defaultValue);
    }
    void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value) override
    {
        values_.insert(appName + u'/' + section + u'/' + key, value);
    }

private:
    QHash<QString, QString> values_;
};

} // namespace trouvel::cli
