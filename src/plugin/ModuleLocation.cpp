#include "ModuleLocation.h"

#include <trouvel/Trouvel.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <dlfcn.h>

namespace trouvel::plugin {

namespace {
// Any address inside this module will do for dladdr.
void anchor() {}
} // namespace

QString moduleFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&anchor), &info) == 0 || info.dli_fname == nullptr)
        throw Error("Impossible de trouver le dossier du module Trouvel");
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

QString userPluginFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/cadrelle/plugins/Trouvel");
}

QString workFolderFor(const QString& pluginFolder, const QString& cacheFolder)
{
    const QFileInfo folder(pluginFolder);
    if (folder.isDir() && folder.isWritable())
        return folder.absoluteFilePath();
    if (!QDir().mkpath(cacheFolder) || !QFileInfo(cacheFolder).isWritable())
        throw Error(QStringLiteral("Impossible d'écrire dans « %1 » ni dans « %2 »")
                        .arg(pluginFolder, cacheFolder)
                        .toStdString());
    return QFileInfo(cacheFolder).absoluteFilePath();
}

QString userCacheFolder()
{
    // The command-line tool's folder too: one cache folder. The one earlier versions made
    // beside it, differing only by letter case, goes once it is empty.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir(cache).rmdir(QStringLiteral("Trouvel"));
    return cache + QStringLiteral("/trouvel");
}

} // namespace trouvel::plugin
