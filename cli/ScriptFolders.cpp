#include "ScriptFolders.h"

#include "config/Script.h"
#include "pluginhost/PluginFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace trouvel::cli {

QStringList scriptFolders(const QString& exeFolder)
{
    QStringList folders;
    for (const QString& root : cadrelle::pluginRoots(exeFolder)) {
        const QString folder = config::scriptsFolder(QDir(root).filePath(QStringLiteral("Trouvel")));
        if (QFileInfo(folder).isDir())
            folders << folder;
    }
    return folders;
}

QString scriptFoldersHelp(const QString& exeFolder)
{
    QString text = QStringLiteral("\nDossiers des scripts du module (--script NOM y cherche NOM.tvs, dans cet ordre) :\n");
    const QStringList folders = scriptFolders(exeFolder);
    for (const QString& folder : folders)
        text += QStringLiteral("    ") + folder + QLatin1Char('\n');
    if (folders.isEmpty())
        text += QStringLiteral("    (aucun : le module n'est pas installé à côté de trouvel)\n");
    // The user's own folder, searched too once it exists, and writable without root.
    text += QStringLiteral("Vos propres scripts vont dans %1.\n")
                .arg(config::scriptsFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                                           QStringLiteral("/cadrelle/plugins/Trouvel")));
    return text;
}

} // namespace trouvel::cli
