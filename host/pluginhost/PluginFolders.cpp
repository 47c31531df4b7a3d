#include "PluginFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef CADRELLE_INSTALLED_PLUGINS
#define CADRELLE_INSTALLED_PLUGINS "../lib/cadrelle/plugins"
#endif

namespace cadrelle {

QString userPluginRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/cadrelle/plugins");
}

QStringList pluginRoots(const QString& exeFolder)
{
    const QStringList candidates{
        exeFolder + QStringLiteral("/../plugins"),
        exeFolder + QStringLiteral("/" CADRELLE_INSTALLED_PLUGINS),
        userPluginRoot(),
    };
    QStringList roots;
    for (const QString& c : candidates) {
        const QFileInfo info(c);
        if (!info.isDir())
            continue;
        const QString canonical = info.canonicalFilePath();
        if (!roots.contains(canonical))
            roots.append(canonical);
    }
    return roots;
}

QStringList findPluginModules(const QStringList& roots)
{
    QStringList modules;
    for (const QString& root : roots) {
        const QFileInfoList folders = QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo& folder : folders) {
            const QFileInfoList files =
                QDir(folder.filePath()).entryInfoList({QStringLiteral("*.so")}, QDir::Files, QDir::Name);
            for (const QFileInfo& f : files) {
                const QString canonical = f.canonicalFilePath();
                if (!modules.contains(canonical))
                    modules.append(canonical);
            }
        }
    }
    return modules;
}

} // namespace cadrelle
