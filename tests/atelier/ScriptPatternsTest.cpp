// The workbench reads a script's patterns as the wizard does and writes back only the keys
// its author changed, through the profile writer: comments, order and encoding stay.
#include "ScriptPatterns.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace trouvel::atelier {
namespace {

QByteArray demoScript()
{
    QFile file(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

class ScriptFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = QDir(dir.path()).filePath(QStringLiteral("Demo.tvs"));
        writeAll(path, demoScript());
    }
    QTemporaryDir dir;
    QString path;
};

TEST_F(ScriptFileTest, ListsTheSearchKeysEachFieldAndThePicture)
{
    const std::vector<PatternKey> keys = patternKeys(path);
    ASSERT_EQ(keys.size(), 4u + 12u + 1u);
    EXPECT_EQ(keys[0].role, PatternRole::Search);
    EXPECT_EQ(keys[1].key, QStringLiteral("Link"));
    EXPECT_EQ(keys[1].stored, QStringLiteral("1"));
    EXPECT_EQ(keys[5].key, QStringLiteral("Match2"));
    EXPECT_EQ(keys[5].field, 2);
    EXPECT_EQ(keys[5].stored, QString::fromUtf8("Année|<td class=annee>(\\d{4})</td>"));
    EXPECT_EQ(keys.back().role, PatternRole::Picture);
    EXPECT_EQ(keys.back().section, QStringLiteral("FilmPage"));
}

TEST_F(ScriptFileTest, AFieldBelowCountThatIsMissingReadsAsTheWizardReadsIt)
{
    writeAll(path, "[SearchPage]\nPattern=x\n[FilmPage]\nCount=2\nMatch1=A|(a)\n");
    const std::vector<PatternKey> keys = patternKeys(path);
    ASSERT_EQ(keys.size(), 4u + 2u + 1u);
    EXPECT_EQ(keys[5].stored, QStringLiteral("??|0"));
}

struct PartsCase {
    const char* name;
    QString value;
    QString fieldName;
    QString pattern;
    bool bar;
};
void PrintTo(const PartsCase& c, std::ostream* os) { *os << c.name; }

class FieldPartsRows : public ::testing::TestWithParam<PartsCase> {};

TEST_P(FieldPartsRows, CutForTheTwoEditorsAndJoinedBackUnchanged)
{
    const PartsCase& c = GetParam();
    const FieldParts parts = fieldParts(c.value);
    EXPECT_EQ(parts.name, c.fieldName);
    EXPECT_EQ(parts.pattern, c.pattern);
    EXPECT_EQ(parts.bar, c.bar);
    EXPECT_EQ(fieldValue(parts.name, parts.pattern, parts.bar), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FieldPartsRows,
    ::testing::Values(PartsCase{"name_and_pattern", QStringLiteral("Titre|<h1>(.*)</h1>"), QStringLiteral("Titre"), QStringLiteral("<h1>(.*)</h1>"), true},
                      PartsCase{"no_bar", QStringLiteral("Titre"), QStringLiteral("Titre"), QString(), false},
                      PartsCase{"second_bar_kept_in_the_pattern", QStringLiteral("A|x|y"), QStringLiteral("A"), QStringLiteral("x|y"), true},
                      PartsCase{"empty_pattern", QStringLiteral("A|"), QStringLiteral("A"), QString(), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldValue, APatternTypedIntoAFieldWithoutOneGetsItsBar)
{
    EXPECT_EQ(fieldValue(QStringLiteral("Titre"), QStringLiteral("(x)"), false), QStringLiteral("Titre|(x)"));
}

struct SaveCase {
    const char* name;
    std::vector<std::pair<QString, QString>> edits; // key name -> new value
    std::vector<std::pair<QByteArray, QByteArray>> lines; // the file's line -> what it becomes
};
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class SaveRows : public ScriptFileTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveRows, OnlyTheChangedLinesChange)
{
    const SaveCase& c = GetParam();
    const QByteArray before = readAll(path);
    ScriptEdits edits(patternKeys(path));
    for (const auto& [key, value] : c.edits) {
        int index = -1;
        for (int i = 0; i < edits.size(); ++i)
            if (edits.keys()[std::size_t(i)].key == key)
                index = i;
        ASSERT_GE(index, 0) << key.toStdString();
        edits.setValue(index, value);
    }
    EXPECT_EQ(edits.changedCount(), int(c.edits.size()));
    EXPECT_EQ(saveEdits(path, edits), QString());
    EXPECT_EQ(edits.changedCount(), 0);
    QByteArray expected = before;
    for (const auto& [from, to] : c.lines) {
        ASSERT_TRUE(expected.contains(from)) << from.toStdString();
        expected.replace(from, to);
    }
    EXPECT_EQ(readAll(path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SaveRows,
    ::testing::Values(
        SaveCase{"search_pattern", {{QStringLiteral("Pattern"), QStringLiteral("<a href=\"/film/(\\d+)\">([^<]*)</a>")}},
                 {{"Pattern=<a class=\"lien-film\" href=\"/film/(\\d+)\"[^>]*>([\\s\\S]*?)</a>[\\s\\S]*?<td class='infos'>([\\s\\S]*?)</td>\n",
                   "Pattern=<a href=\"/film/(\\d+)\">([^<]*)</a>\n"}}},
        SaveCase{"field_name_and_pattern", {{QStringLiteral("Match2"), QString::fromUtf8("Année de sortie|<td class=annee>(\\d+)</td>")}},
                 {{"Match2=Ann\xc3\xa9""e|<td class=annee>(\\d{4})</td>", "Match2=Ann\xc3\xa9""e de sortie|<td class=annee>(\\d+)</td>"}}},
        SaveCase{"group_number", {{QStringLiteral("LongText"), QStringLiteral("2")}}, {{"LongText=3", "LongText=2"}}},
        SaveCase{"both_sections_at_once",
                 {{QStringLiteral("ShortText"), QStringLiteral("3")}, {QStringLiteral("PatternImg"), QStringLiteral("<img src=\"([^\"]+)\"")}},
                 {{"ShortText=2", "ShortText=3"},
                  {"PatternImg=<div class=\"affiche\">\\s*<img src=\"([^\"]+)\"", "PatternImg=<img src=\"([^\"]+)\""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptFileTest, NothingChangedWritesNothing)
{
    ScriptEdits edits(patternKeys(path));
    edits.setValue(0, edits.value(0) + QStringLiteral("x"));
    edits.setValue(0, edits.keys()[0].stored); // typed, then taken back
    const ino_t before = inodeOf(path);
    EXPECT_EQ(saveEdits(path, edits), QString());
    EXPECT_EQ(inodeOf(path), before);
}

TEST_F(ScriptFileTest, ALineChangedElsewhereSinceOpeningStays)
{
    ScriptEdits edits(patternKeys(path));
    QByteArray changed = readAll(path);
    changed.replace("Count=12", "Count=11");
    writeAll(path, changed);
    edits.setValue(edits.indexOf(PatternRole::Link), QStringLiteral("2"));
    EXPECT_EQ(saveEdits(path, edits), QString());
    const QByteArray after = readAll(path);
    EXPECT_TRUE(after.contains("Count=11"));
    EXPECT_TRUE(after.contains("Link=2\n"));
}

TEST_F(ScriptFileTest, AWindows1252ScriptStaysWindows1252)
{
    writeAll(path, "; Ann\xe9""e\r\n[FilmPage]\r\nCount=1\r\nMatch1=Ann\xe9""e|(\\d{4})\r\n");
    ScriptEdits edits(patternKeys(path));
    const int year = edits.indexOfField(1);
    edits.setValue(year, QString::fromUtf8("Année|(\\d{2})"));
    EXPECT_EQ(saveEdits(path, edits), QString());
    EXPECT_EQ(readAll(path), QByteArray("; Ann\xe9""e\r\n[FilmPage]\r\nCount=1\r\nMatch1=Ann\xe9""e|(\\d{2})\r\n"));
}

TEST_F(ScriptFileTest, AValueWithALineBreakIsRefusedAndTheFileLeftAsItWas)
{
    const QByteArray before = readAll(path);
    ScriptEdits edits(patternKeys(path));
    edits.setValue(0, QStringLiteral("a\nb"));
    const QString why = saveEdits(path, edits);
    EXPECT_TRUE(why.startsWith(QStringLiteral("Pattern ne peut pas être enregistré"))) << why.toStdString();
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(edits.changedCount(), 1);
}

} // namespace
} // namespace trouvel::atelier
