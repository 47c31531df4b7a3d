#include "config/Script.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::config;

namespace {

TEST(SplitFieldSpec, NameAndPatternPieces)
{
    struct Row {
        const char* name;
        QString value;
        QString fieldName, pattern;
        bool hasPattern;
    };
    for (const Row& row : {Row{"name_and_pattern", "Titre|<h1>([\\s\\S]*?)</h1>", "Titre", "<h1>([\\s\\S]*?)</h1>", true},
                           Row{"third_piece_ignored", "A|b(c)|d(e)", "A", "b(c)", true},
                           Row{"empty_name", "|(\\d+)", "", "(\\d+)", true},
                           Row{"empty_pattern", "Nom|", "Nom", "", true},
                           Row{"no_bar", "??", "??", "", false},
                           Row{"default_of_chooser", " |0", " ", "0", true}}) {
        SCOPED_TRACE(row.name);
        const FieldSpec spec = splitFieldSpec(row.value);
        EXPECT_EQ(spec.name, row.fieldName);
        EXPECT_EQ(spec.pattern, row.pattern);
        EXPECT_EQ(spec.hasPattern, row.hasPattern);
    }
}

TEST(FillTemplate, EveryPercentOneReplacedVerbatim)
{
    EXPECT_EQ(fillTemplate("http://h/s?q=%1&r=%1", "a b"), "http://h/s?q=a b&r=a b");
    EXPECT_EQ(fillTemplate("http://h/img", "x"), "http://h/img");
    EXPECT_EQ(fillTemplate("%1", "%1%1"), "%1%1"); // inserted text not scanned again
    EXPECT_EQ(fillTemplate("%%11", "X"), "%X1");
    EXPECT_EQ(fillTemplate("a%2b", "X"), "a%2b");
}

TEST(TemplateText, WhatTheTemplateNeedsToGiveTheAddress)
{
    struct Row {
        const char* name;
        QString urlTemplate, address;
        std::optional<QString> text;
    };
    for (const Row& row : {Row{"path", "http://h/film/%1", "http://h/film/42", QStringLiteral("42")},
                           Row{"host_case_and_default_port", "http://Site.example/film/%1", "http://site.example:80/film/42", QStringLiteral("42")},
                           Row{"path_case_counts", "http://h/Film/%1", "http://h/film/42", std::nullopt},
                           Row{"twice_must_agree", "http://h/f/%1?id=%1", "http://h/f/7?id=7", QStringLiteral("7")},
                           Row{"twice_disagreeing", "http://h/f/%1?id=%1", "http://h/f/7?id=8", std::nullopt},
                           Row{"nothing_for_percent_one", "http://h/film/%1", "http://h/film/", std::nullopt},
                           Row{"no_percent_one", "http://h/film", "http://h/film", std::nullopt},
                           Row{"other_host", "http://h/film/%1", "http://evil/film/42", std::nullopt}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(templateText(row.urlTemplate, row.address), row.text);
    }
}

TEST(GroupIndex, NumberLessOneRoundedHalfToEven)
{
    const std::pair<QString, std::optional<int>> rows[] = {
        {"1", 0}, {"2", 1}, {"0", -1}, {"-1", -2}, {" 3 ", 2}, {"1.5", 0}, {"2.5", 2},
        {"3.5", 2}, {"1.6", 1}, {"", std::nullopt}, {"abc", std::nullopt}, {"1e20", std::nullopt}};
    for (const auto& [text, index] : rows)
        EXPECT_EQ(groupIndex(text), index) << text.toStdString();
}

TEST(ScriptFiles, PathsAndListing)
{
    QTemporaryDir plugin;
    EXPECT_EQ(scriptsFolder(plugin.path()), plugin.path() + "/scripts");
    EXPECT_EQ(scriptPath(plugin.path() + "/", "imdb"), plugin.path() + "/scripts/imdb.tvs");
    EXPECT_TRUE(listScripts(plugin.path()).isEmpty()); // no scripts folder

    QDir dir(plugin.path());
    ASSERT_TRUE(dir.mkpath("scripts/sub.tvs"));
    for (const char* name : {"b.tvs", "a.tvs", "A.tvs", "Zed.tvs", ".hidden.tvs", "upper.TVS", "x.tvs.bak", "notes.txt", ".tvs"}) {
        QFile f(dir.filePath(QStringLiteral("scripts/") + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Links: to a regular file, listed; to a device, which reads without end, not.
    ASSERT_TRUE(QFile::link(dir.filePath("scripts/b.tvs"), dir.filePath("scripts/linked.tvs")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("scripts/zero.tvs")));
    EXPECT_EQ(listScripts(plugin.path()), (QStringList{"A", "a", "b", "linked", "upper", "Zed"}));
    // A name listed from a capitalised extension loads again.
    EXPECT_EQ(scriptPath(plugin.path(), "upper"), plugin.path() + "/scripts/upper.TVS");

    EXPECT_EQ(scriptFileProblem(dir.filePath("scripts/linked.tvs")), QString());
    EXPECT_EQ(scriptFileProblem(dir.filePath("scripts/zero.tvs")), QStringLiteral("ce n'est pas un fichier ordinaire"));
    EXPECT_EQ(scriptFileProblem(dir.filePath("scripts/none.tvs")), QStringLiteral("le fichier n'existe pas"));
    QFile big(dir.filePath("scripts/big.tvs"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(kMaxScriptBytes + 1));
    EXPECT_TRUE(scriptFileProblem(big.fileName()).startsWith(QStringLiteral("le fichier fait 1048577 octets")));

    // The sources the wizard is handed: the plug-in's folder, or one file listed by its name.
    EXPECT_EQ(ScriptSource::pluginFolder(plugin.path()).names(), listScripts(plugin.path()));
    EXPECT_EQ(ScriptSource::pluginFolder(plugin.path()).pathOf("upper"), plugin.path() + "/scripts/upper.TVS");
    const ScriptSource one = ScriptSource::singleFile(dir.filePath("scripts/my.site.tvs"));
    EXPECT_EQ(one.names(), QStringList{"my.site"});
    EXPECT_EQ(one.pathOf("my.site"), dir.filePath("scripts/my.site.tvs"));
    EXPECT_EQ(one.pathOf("other"), dir.filePath("scripts/other.tvs")); // where it would be: not found
}

// Two plug-in folders, the user's and the module's: what the wizard lists and loads.
class SeveralFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* file : {"user/scripts/Zeta.tvs", "user/scripts/Demo.tvs", "plugin/scripts/Demo.tvs", "plugin/scripts/Alpha.tvs"}) {
            ASSERT_TRUE(QDir(root.path()).mkpath(QFileInfo(file).path()));
            QFile f(root.filePath(QLatin1String(file)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    QTemporaryDir root;
    const QString user = root.filePath("user"), plugin = root.filePath("plugin");
};

TEST_F(SeveralFolders, EarlierFolderFirstItsNamesHidingLaterOnes)
{
    struct Row {
        const char* name;
        QStringList folders;  // under root; "" for none
        QStringList expected; // "Name=folder"
    };
    for (const Row& row : {Row{"user_then_plugin", {"user", "plugin"}, {"Demo=user", "Zeta=user", "Alpha=plugin"}},
                           Row{"plugin_then_user", {"plugin", "user"}, {"Alpha=plugin", "Demo=plugin", "Zeta=user"}},
                           Row{"missing_user_folder", {"missing", "plugin"}, {"Alpha=plugin", "Demo=plugin"}},
                           Row{"empty_folder_name_skipped", {"", "plugin"}, {"Alpha=plugin", "Demo=plugin"}},
                           Row{"same_folder_twice", {"plugin", "plugin/../plugin"}, {"Alpha=plugin", "Demo=plugin"}}}) {
        SCOPED_TRACE(row.name);
        QStringList folders;
        for (const QString& folder : row.folders)
            folders << (folder.isEmpty() ? QString() : root.filePath(folder));
        QStringList listed;
        for (const ScriptEntry& entry : ScriptSource::pluginFolders(folders).entries())
            listed << entry.name + u'=' + QDir(root.path()).relativeFilePath(entry.path);
        QStringList expected = row.expected;
        for (QString& pair : expected)
            pair = pair.section(u'=', 0, 0) + u'=' + pair.section(u'=', 1) + "/scripts/" + pair.section(u'=', 0, 0) + ".tvs";
        EXPECT_EQ(listed, expected);
    }
}

TEST_F(SeveralFolders, PathOfANameIsTheListedFileElseWhereTheFirstFolderWouldHaveIt)
{
    const ScriptSource source = ScriptSource::pluginFolders({user, plugin});
    EXPECT_EQ(source.pathOf("Demo"), user + "/scripts/Demo.tvs"); // the user's copy hides the module's
    EXPECT_EQ(source.pathOf("Alpha"), plugin + "/scripts/Alpha.tvs");
    EXPECT_EQ(source.pathOf("Typed"), user + "/scripts/Typed.tvs"); // listed nowhere
}

} // namespace
