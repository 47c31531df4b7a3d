#include "config/Settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace trouvel::config {

namespace {

// "<XDG config folder>/Trouvel/<appName>.conf". The path is worked out at every call (not
// cached by QSettings' default paths) so that XDG_CONFIG_HOME is honoured as it stands now.
QString storePath(const QString& appName)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Trouvel/") + appName + QStringLiteral(".conf");
}

QString settingKey(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

} // namespace

QString QSettingsStore::GetSetting(const QString& appName, const QString& section, const QString& key,
                                   const QString& defaultValue)
{
    QSettings settings(storePath(appName), QSettings::IniFormat);
    return settings.value(settingKey(section, key), defaultValue).toString();
}

void QSettingsStore::SaveSetting(const QString& appName, const QString& section, const QString& key,
                                 const QString& value)
{
    QSettings settings(storePath(appName), QSettings::IniFormat);
    settings.setValue(settingKey(section, key), value);
    settings.sync();
}

} // namespace trouvel::config
