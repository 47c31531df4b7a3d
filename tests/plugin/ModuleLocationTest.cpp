#include "plugin/ModuleLocation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace trouvel::plugin;

TEST(ModuleLocation, ModuleFolderIsWhereTheCodeWasLoadedFrom)
{
    // Linked statically here, so the module is the test executable itself.
    EXPECT_EQ(QFileInfo(moduleFolder()).canonicalFilePath(), QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath());
}

TEST(WorkFolder, PluginFolderWhenWritableElseTheUserCache)
{
    QTemporaryDir dir;
    const QString plugin = dir.filePath(QStringLiteral("plugins/Trouvel"));
    const QString cache = dir.filePath(QStringLiteral("cache/Trouvel"));
    QDir().mkpath(plugin);
    EXPECT_EQ(workFolderFor(plugin, cache), QFileInfo(plugin).absoluteFilePath());
    EXPECT_FALSE(QFileInfo::exists(cache));

    // A plug-in folder that cannot take the working files: the cache folder, made on demand.
    const QString gone = dir.filePath(QStringLiteral("not/there"));
    EXPECT_EQ(workFolderFor(gone, cache), QFileInfo(cache).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(cache).isDir());
}

TEST(WorkFolder, NoUsableFolderIsAnError)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("plain-file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_THROW(workFolderFor(dir.filePath(QStringLiteral("missing")), file.fileName() + QStringLiteral("/Trouvel")), trouvel::Error);
}

TEST(WorkFolder, UserCacheFollowsXdgCacheHomeAndDropsTheOldEmptyFolder)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("Trouvel")));
    qputenv("XDG_CACHE_HOME", dir.path().toUtf8());
    EXPECT_EQ(userCacheFolder(), dir.filePath(QStringLiteral("trouvel")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("Trouvel"))));
    qunsetenv("XDG_CACHE_HOME");
}

} // namespace
