#include "pluginhost/PluginFolders.h"
#include "pluginhost/PluginList.h"
#include "pluginhost/PluginModule.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace cadrelle;

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a module");
}

TEST(PluginFolders, BuildTreeAndUserFoldersAreSearched)
{
    QTemporaryDir root;
    const QString exe = root.filePath(u"build/bin"_qs);
    QDir().mkpath(exe);
    touch(root.filePath(u"build/plugins/Trouvel/Trouvel.so"_qs));
    touch(root.filePath(u"build/plugins/Trouvel/scripts/Demo.tvs"_qs));
    touch(root.filePath(u"build/plugins/loose.so"_qs)); // not in a plug-in folder of its own
    touch(root.filePath(u"data/cadrelle/plugins/Autre/Autre.so"_qs));
    qputenv("XDG_DATA_HOME", root.filePath(u"data"_qs).toUtf8());

    const QStringList roots = pluginRoots(exe);
    ASSERT_GE(roots.size(), 2);
    EXPECT_EQ(roots.first(), QFileInfo(root.filePath(u"build/plugins"_qs)).canonicalFilePath());
    EXPECT_EQ(roots.last(), QFileInfo(root.filePath(u"data/cadrelle/plugins"_qs)).canonicalFilePath());

    const QStringList modules = findPluginModules(roots + roots);
    EXPECT_EQ(modules, (QStringList{QFileInfo(root.filePath(u"build/plugins/Trouvel/Trouvel.so"_qs)).canonicalFilePath(),
                                    QFileInfo(root.filePath(u"data/cadrelle/plugins/Autre/Autre.so"_qs)).canonicalFilePath()}));
    qunsetenv("XDG_DATA_HOME");
}

TEST(PluginModule, FilesThatAreNotPluginsAreRefusedWithAReason)
{
    QTemporaryDir root;
    const QString fake = root.filePath(u"Fake/Fake.so"_qs);
    touch(fake);
    QString error;
    EXPECT_EQ(PluginModule::load(fake, error), nullptr);
    EXPECT_TRUE(error.contains(fake)) << error.toStdString();

    error.clear();
    // A real shared object without the entry points.
    EXPECT_EQ(PluginModule::load(u"libm.so.6"_qs, error), nullptr);
    EXPECT_TRUE(error.contains(u"points d'entrée"_qs)) << error.toStdString();
}

// The same plug-in found twice (its module copied into the user's folder) is offered once:
// the first one found.
TEST(LoadPlugins, SamePluginFoundTwiceIsKeptOnce)
{
    QTemporaryDir root;
    const QString fake = QStringLiteral(CADRELLE_FAKE_PLUGIN);
    const QString copy = root.filePath(u"data/cadrelle/plugins/Factice/Factice.so"_qs);
    const QString broken = root.filePath(u"Cassé/Cassé.so"_qs);
    QDir().mkpath(QFileInfo(copy).absolutePath());
    ASSERT_TRUE(QFile::copy(fake, copy));
    touch(broken);
    struct Row {
        const char* name;
        QStringList paths;
        int duplicates, errors;
    };
    for (const Row& row : {Row{"once", {fake}, 0, 0}, Row{"copy_in_the_user_folder", {fake, copy}, 1, 0},
                           Row{"same_file_twice", {fake, fake}, 1, 0}, Row{"broken_one_is_an_error", {broken, fake, copy}, 1, 1}}) {
        SCOPED_TRACE(row.name);
        const LoadedPlugins loaded = loadPlugins(row.paths);
        ASSERT_EQ(loaded.modules.size(), 1u);
        EXPECT_EQ(loaded.modules.front()->path(), fake);
        EXPECT_EQ(loaded.duplicates.size(), row.duplicates);
        EXPECT_EQ(loaded.errors.size(), row.errors);
        if (row.duplicates > 0) {
            EXPECT_TRUE(loaded.duplicates.first().contains(fake)) << loaded.duplicates.first().toStdString();
        }
    }
}

} // namespace
