// A per-user settings store that lives as long as the object and touches no file: the
// command-line tool chooses its script itself and must not move the window's remembered
// script position, and the tests and benchmarks seed and read it directly.
#pragma once

#include "config/Settings.h"

#include <QHash>
#include <QString>

namespace trouvel::config {

class MemorySettings : public SettingsStore {
public:
    // Keyed "section/key". The application name is not part of the key: Trouvel reads and
    // writes its settings under the one name "Trouvel".
    QHash<QString, QString> values;

    QString GetSetting(const QString& /*appName*/, const QString& section, const QString& key,
                       const QString& defaultValue) override
    {
        return values.value(keyOf(section, key), defaultValue);
    }
    void SaveSetting(const QString& /*appName*/, const QString& section, const QString& key,
                     const QString& value) override
    {
        values.insert(keyOf(section, key), value);
    }

private:
    static QString keyOf(const QString& section, const QString& key) { return section + u'/' + key; }
};

} // namespace trouvel::config
