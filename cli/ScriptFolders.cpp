#include "ScriptFolders.h"

#include "config/Script.h"
#include "pluginhost/PluginFolders.h"

#include <QDir>
#include <QFileInfo>

namespace trouvel::cli {

QStringList scriptFolders(const QString& exeFolder)
{
    QStringList roots = cadrelle::pluginRoots(exeFolder);
    const QString userRoot = QFileInfo(cadrelle::userPluginRoot()).canonicalFilePath();
    if (!userRoot.isEmpty() && roots.removeAll(userRoot) > 0)
        roots.prepend(userRoot);
    QStringList folders;
    for (const QString& root : roots) {
        const QString folder = config::scriptsFolder(QDir(root).filePath(QStringLiteral("Trouvel")));
        if (QFileInfo(folder).isDir())
            folders << folder;
    }
    return folders;
}

QString scriptFoldersHelp(const QString& exeFolder)
{
    QString text = QStringLiteral("\nDossiers des scripts du module (un NOM de script y est cherché, NOM.tvs, dans cet ordre) :\n");
    const QStringList folders = scriptFolders(exeFolder);
    for (const QString& folder : folders)
        text += QStringLiteral("    ") + folder + QLatin1Char('\n');
    if (folders.isEmpty())
        text += QStringLiteral("    (aucun : le module n'est pas installé à côté de trouvel)\n");
    // The user's own folder, searched first once it exists, and writable without root.
    text += QStringLiteral("Vos propres scripts vont dans %1 ; ils masquent ceux du module de même nom.\n")
                .arg(config::scriptsFolder(QDir(cadrelle::userPluginRoot()).filePath(QStringLiteral("Trouvel"))));
    return text;
}

QString findScript(const QString& nameOrFile, const QString& exeFolder, QString* problem)
{
    // A path, or a name that is there as given: that file, whatever it is (checked below).
    const auto usable = [&](const QString& file) {
        // Judged on the file's kind and size before anything opens it: a FIFO would block the
        // open, a link to a device would be read without end.
        if (const QString why = config::scriptFileProblem(file); !why.isEmpty()) {
            *problem = QStringLiteral("script illisible : %1 (%2)").arg(file, why);
            return QString();
        }
        return file;
    };
    if (QFileInfo::exists(nameOrFile))
        return usable(nameOrFile);
    if (!nameOrFile.contains(QLatin1Char('/'))) {
        // "Demo" or "Demo.tvs": the name, with or without its extension.
        QString name = nameOrFile;
        if (name.size() > 4 && name.endsWith(QStringLiteral(".tvs"), Qt::CaseInsensitive))
            name.chop(4);
        for (const QString& folder : scriptFolders(exeFolder)) {
            const QString candidate = config::scriptPath(QFileInfo(folder).path(), name);
            if (QFileInfo::exists(candidate))
                return usable(candidate);
        }
    }
    *problem = QStringLiteral("script introuvable : %1").arg(nameOrFile);
    return {};
}

} // namespace trouvel::cli
