// A command's arguments as QCommandLineParser reads them, with the tool's French messages;
// and the scripts folders that the help names.
#include "Arguments.h"
#include "ScriptFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::cli;

namespace {

Arguments tryLike()
{
    return Arguments({QStringLiteral("pick"), QStringLiteral("max-wait")}, {QStringLiteral("json"), QStringLiteral("no")});
}

} // namespace

TEST(Arguments, ErrorsSayWhichOptionInFrench)
{
    Arguments unknown = tryLike();
    EXPECT_FALSE(unknown.parse({QStringLiteral("s.tvs"), QStringLiteral("--jsn")}));
    EXPECT_EQ(unknown.error(), QStringLiteral("option inconnue : --jsn"));

    Arguments missing = tryLike();
    EXPECT_FALSE(missing.parse({QStringLiteral("s.tvs"), QStringLiteral("--json"), QStringLiteral("--pick")}));
    EXPECT_EQ(missing.error(), QStringLiteral("l'option --pick attend une valeur"));

    Arguments switchValue = tryLike();
    EXPECT_FALSE(switchValue.parse({QStringLiteral("--pick"), QStringLiteral("2"), QStringLiteral("--no=1")}));
    EXPECT_EQ(switchValue.error(), QStringLiteral("l'option --no ne prend pas de valeur"));
}

TEST(Arguments, ValuesMayStartWithADashOrBeEmpty)
{
    Arguments a = tryLike();
    ASSERT_TRUE(a.parse({QStringLiteral("--max-wait"), QStringLiteral("-1"), QStringLiteral("--pick="), QStringLiteral("t")}));
    EXPECT_EQ(a.value(QStringLiteral("max-wait")), QStringLiteral("-1"));
    EXPECT_TRUE(a.isSet(QStringLiteral("pick")));
    EXPECT_EQ(a.value(QStringLiteral("pick")), QString());
    EXPECT_EQ(a.positional(), QStringList{QStringLiteral("t")});
    EXPECT_FALSE(a.isSet(QStringLiteral("json")));
}

TEST(Arguments, DashAloneAndEverythingAfterDoubleDashArePositional)
{
    Arguments a = tryLike();
    ASSERT_TRUE(a.parse({QStringLiteral("-"), QStringLiteral(""), QStringLiteral("--"), QStringLiteral("--json"),
                         QStringLiteral("--inconnue"), QStringLiteral("-1")}));
    EXPECT_EQ(a.positional(), QStringList({QStringLiteral("-"), QString(), QStringLiteral("--json"), QStringLiteral("--inconnue"),
                                           QStringLiteral("-1")}));
    EXPECT_FALSE(a.isSet(QStringLiteral("json")));
}

TEST(Arguments, OptionsMixWithPositionalsInAnyOrder)
{
    Arguments a = tryLike();
    ASSERT_TRUE(a.parse({QStringLiteral("--json"), QStringLiteral("s.tvs"), QStringLiteral("--pick"), QStringLiteral("3"),
                         QStringLiteral("Nord/Sud"), QStringLiteral("-no")}));
    EXPECT_EQ(a.positional(), QStringList({QStringLiteral("s.tvs"), QStringLiteral("Nord/Sud")}));
    EXPECT_EQ(a.value(QStringLiteral("pick")), QStringLiteral("3"));
    EXPECT_TRUE(a.isSet(QStringLiteral("json")));
    EXPECT_TRUE(a.isSet(QStringLiteral("no")));
}

TEST(ScriptFolders, TheUsersScriptsFolderFirstThenThePluginsBesideBin)
{
    QTemporaryDir tree;
    ASSERT_TRUE(tree.isValid());
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(tree.filePath(QStringLiteral("data"))));
    const QString bin = tree.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));

    EXPECT_TRUE(scriptFolders(bin).isEmpty());
    EXPECT_TRUE(scriptFoldersHelp(bin).contains(QStringLiteral("(aucun")));
    EXPECT_TRUE(scriptFoldersHelp(bin).contains(tree.filePath(QStringLiteral("data/cadrelle/plugins/Trouvel/scripts"))));

    // A plug-in folder without scripts is not a scripts folder.
    ASSERT_TRUE(QDir().mkpath(tree.filePath(QStringLiteral("plugins/Trouvel"))));
    EXPECT_TRUE(scriptFolders(bin).isEmpty());

    ASSERT_TRUE(QDir().mkpath(tree.filePath(QStringLiteral("plugins/Trouvel/scripts"))));
    ASSERT_TRUE(QDir().mkpath(tree.filePath(QStringLiteral("data/cadrelle/plugins/Trouvel/scripts"))));
    const QStringList folders = scriptFolders(bin);
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders.at(0), QDir(tree.filePath(QStringLiteral("data/cadrelle/plugins/Trouvel/scripts"))).canonicalPath());
    EXPECT_EQ(folders.at(1), QDir(tree.filePath(QStringLiteral("plugins/Trouvel/scripts"))).canonicalPath());
    const QString help = scriptFoldersHelp(bin);
    EXPECT_TRUE(help.contains(QStringLiteral("\n    ") + folders.at(0) + QLatin1Char('\n') + QStringLiteral("    ") + folders.at(1) +
                              QLatin1Char('\n')));
    EXPECT_FALSE(help.contains(QStringLiteral("(aucun")));

    if (oldData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldData);
}

// A script named on the command line: a file as given, else a name (with or without .tvs)
// in the scripts folders, the user's first.
TEST(FindScript, AFileOrANameTheUsersHidingTheModules)
{
    QTemporaryDir tree;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(tree.filePath(QStringLiteral("data"))));
    const QString bin = tree.filePath(QStringLiteral("bin"));
    const QString user = tree.filePath(QStringLiteral("data/cadrelle/plugins/Trouvel/scripts"));
    const QString bundled = tree.filePath(QStringLiteral("plugins/Trouvel/scripts"));
    for (const QString& file : {user + QStringLiteral("/Demo.tvs"), bundled + QStringLiteral("/Demo.tvs"), bundled + QStringLiteral("/Autre.tvs")}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()) && QDir().mkpath(bin));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), bundled + QStringLiteral("/Zero.tvs")));
    const QString mine = QDir(user).canonicalPath() + QStringLiteral("/Demo.tvs");
    const std::pair<QString, QString> rows[] = {{QStringLiteral("Demo"), mine},
                                                {QStringLiteral("Demo.tvs"), mine},
                                                {QStringLiteral("Autre"), QDir(bundled).canonicalPath() + QStringLiteral("/Autre.tvs")},
                                                {bundled + QStringLiteral("/Demo.tvs"), bundled + QStringLiteral("/Demo.tvs")},
                                                {QStringLiteral("Inconnu"), QStringLiteral("script introuvable : Inconnu")},
                                                {QStringLiteral("Zero"), QStringLiteral("script illisible : ")}};
    for (const auto& [given, expected] : rows) {
        QString problem;
        const QString found = findScript(given, bin, &problem);
        EXPECT_TRUE(found.isEmpty() ? problem.startsWith(expected) : found == expected && problem.isEmpty())
            << given.toStdString() << ": " << found.toStdString() << problem.toStdString();
    }
    if (oldData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldData);
}
