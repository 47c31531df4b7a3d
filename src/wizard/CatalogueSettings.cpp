#include "wizard/CatalogueSettings.h"

#include <QCryptographicHash>
#include <QDir>

namespace trouvel::wizard {

CatalogueSettings::CatalogueSettings(config::SettingsStore& store, QString appName, QString folder)
    : store_(store)
    , appName_(std::move(appName))
    , folder_(QDir::cleanPath(QDir(folder).absolutePath()))
{
}

QString CatalogueSettings::section() const
{
    const QByteArray digest = QCryptographicHash::hash(folder_.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("Catalogue ") + QString::fromLatin1(digest);
}

void CatalogueSettings::save(const QString& key, const QString& value)
{
    // The folder beside the values, for a person reading the settings file.
    store_.SaveSetting(appName_, section(), QStringLiteral("Dossier"), folder_);
    store_.SaveSetting(appName_, section(), key, value);
}

QString CatalogueSettings::script() const
{
    return store_.GetSetting(appName_, section(), QStringLiteral("Script"), {});
}

void CatalogueSettings::setScript(const QString& name)
{
    save(QStringLiteral("Script"), name);
}

bool CatalogueSettings::replacesExisting() const
{
    return store_.GetSetting(appName_, section(), QStringLiteral("RemplacerValeurs"), QStringLiteral("0")) == QLatin1String("1");
}

void CatalogueSettings::setReplacesExisting(bool replace)
{
    save(QStringLiteral("RemplacerValeurs"), replace ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace trouvel::wizard
