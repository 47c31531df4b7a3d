#include "config/IniFile.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace trouvel::config;

namespace {

struct UpdateCase {
    const char* name;
    QByteArray before;
    QString section;
    QString key;
    QString value;
    QByteArray after;
};

void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class IniUpdate : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(IniUpdate, ChangesOnlyThatKey)
{
    const UpdateCase& c = GetParam();
    const QByteArray after = iniUpdate(c.before, c.section, c.key, c.value);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(iniLookup(after, c.section, c.key, "<def>"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IniUpdate,
    ::testing::Values(
        UpdateCase{"replace_keeps_comments_and_blank_lines",
                   "; mapping\n[S]\n\na=1\n; note\nk=old\n\n[T]\nk=x\n", "S", "k", "new",
                   "; mapping\n[S]\n\na=1\n; note\nk=new\n\n[T]\nk=x\n"},
        UpdateCase{"replace_keeps_crlf", "[S]\r\nk=old\r\nz=2\r\n", "S", "k", "new", "[S]\r\nk=new\r\nz=2\r\n"},
        UpdateCase{"replace_keeps_blanks_and_spelling", "[s]\n  Key =  old  \n", "S", "KEY", "v", "[s]\n  Key =  v\n"},
        UpdateCase{"replace_to_empty", "[S]\nk=old\n", "S", "k", "", "[S]\nk=\n"},
        UpdateCase{"replace_blank_only_value", "[S]\nk=\t \r\n", "S", "k", "7", "[S]\nk=\t 7\r\n"},
        UpdateCase{"replace_empty_value", "[S]\nk=\r\n", "S", "k", "7", "[S]\nk=7\r\n"},
        UpdateCase{"replace_last_line_without_end", "[S]\nk=old", "S", "k", "new", "[S]\nk=new"},
        UpdateCase{"replace_first_duplicate_key", "[S]\nk=1\nk=2\n", "S", "k", "9", "[S]\nk=9\nk=2\n"},
        UpdateCase{"replace_in_first_duplicate_section", "[S]\nk=1\n[S]\nk=2\n", "S", "k", "9", "[S]\nk=9\n[S]\nk=2\n"},
        UpdateCase{"add_to_first_duplicate_section", "[S]\na=1\n[S]\nk=2\n", "S", "k", "9", "[S]\na=1\nk=9\n[S]\nk=2\n"},
        UpdateCase{"add_key_after_last_key", "[S]\na=1\n\n; next one\n[T]\nb=2\n", "S", "k", "v",
                   "[S]\na=1\nk=v\n\n; next one\n[T]\nb=2\n"},
        UpdateCase{"add_key_to_empty_section", "[S]\n[T]\n", "S", "k", "v", "[S]\nk=v\n[T]\n"},
        UpdateCase{"add_key_at_end_without_line_end", "[S]\r\na=1", "S", "k", "v", "[S]\r\na=1\r\nk=v\r\n"},
        UpdateCase{"add_key_after_header_ending_in_cr", "[S]\r", "S", "k", "v", "[S]\r\nk=v\n"},
        UpdateCase{"add_section_after_value_ending_in_cr", "[T]\r\nb=2\r", "S", "k", "v", "[T]\r\nb=2\r\n[S]\r\nk=v\r\n"},
        UpdateCase{"add_section_lf", "[T]\nb=2\n", "S", "k", "v", "[T]\nb=2\n[S]\nk=v\n"},
        UpdateCase{"add_section_crlf", "[T]\r\nb=2\r\n", "S", "k", "v", "[T]\r\nb=2\r\n[S]\r\nk=v\r\n"},
        UpdateCase{"add_section_after_unended_line", "[T]\r\nb=2", "S", "k", "v", "[T]\r\nb=2\r\n[S]\r\nk=v\r\n"},
        UpdateCase{"create_in_empty", "", "S", "k", "v", "[S]\nk=v\n"},
        UpdateCase{"bom_kept", "\xEF\xBB\xBF[S]\r\nk=old\r\n", "S", "k", QString::fromUtf8("Été"),
                   "\xEF\xBB\xBF[S]\r\nk=\xC3\x89t\xC3\xA9\r\n"},
        UpdateCase{"bom_only_file", "\xEF\xBB\xBF", "S", "k", "v", "\xEF\xBB\xBF[S]\nk=v\n"},
        UpdateCase{"windows1252_stays_windows1252", "[R\xE9sum\xE9]\r\nk=old\r\n", QString::fromUtf8("Résumé"), "k",
                   QString::fromUtf8("Été €"), "[R\xE9sum\xE9]\r\nk=\xC9t\xE9 \x80\r\n"},
        UpdateCase{"windows1252_new_section", "[A]\nx=\xE9\n", QString::fromUtf8("Année"), "k", "v",
                   "[A]\nx=\xE9\n[Ann\xE9" "e]\nk=v\n"},
        UpdateCase{"windows1252_beyond_its_range_as_utf8", "[S]\nx=\xE9\nk=1\n", "S", "k", QString::fromUtf8("日本"),
                   "[S]\nx=\xE9\nk=\xE6\x97\xA5\xE6\x9C\xAC\n"},
        UpdateCase{"windows1252_ambiguous_bytes_as_utf8", "[S]\nx=\xE9\nk=1\n", "S", "k", QString::fromUtf8("Ã©"),
                   "[S]\nx=\xE9\nk=\xC3\x83\xC2\xA9\n"},
        UpdateCase{"utf8_stays_utf8", "[S]\nx=\xC3\xA9\n", "S", "k", QString::fromUtf8("é"), "[S]\nx=\xC3\xA9\nk=\xC3\xA9\n"},
        UpdateCase{"outer_blanks_quoted", "[S]\nk=1\n", "S", "k", "  a ", "[S]\nk=\"  a \"\n"},
        UpdateCase{"quoted_value_quoted_again", "[S]\nk=1\n", "S", "k", "\"a\"", "[S]\nk=\"\"a\"\"\n"},
        UpdateCase{"inner_quote_left_alone", "[S]\nk=1\n", "S", "k", "a\"b", "[S]\nk=a\"b\n"}),
    [](const ::testing::TestParamInfo<UpdateCase>& info) { return std::string(info.param.name); });

TEST(IniUpdateRefused, UnstorableNamesAndValuesLeaveContentAlone)
{
    const QByteArray content = "[S]\nk=1\n";
    struct Row {
        const char* name;
        QString section, key, value;
    };
    for (const Row& row : {Row{"value_line_feed", "S", "k", "a\nb"}, Row{"value_carriage_return", "S", "k", "a\rb"},
                           Row{"key_with_equals", "S", "a=b", "v"}, Row{"key_comment", "S", ";k", "v"},
                           Row{"key_bracket", "S", "[k", "v"}, Row{"key_blanks", "S", " k", "v"},
                           Row{"section_bracket", "S]", "k", "v"}, Row{"section_blanks", "S ", "k", "v"},
                           Row{"section_line_feed", "S\n[T", "k", "v"}, Row{"broken_utf16", "S", "k", QString(QChar(0xD800))}}) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(iniCanStore(row.section, row.key, row.value));
        EXPECT_EQ(iniUpdate(content, row.section, row.key, row.value), content);
    }
}

class IniWriteFile : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static void put(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }
    QTemporaryDir dir;
};

TEST_F(IniWriteFile, CreatesFileSectionAndKey)
{
    const QString file = path("Trouvel.ini");
    ASSERT_TRUE(WriteIniString(file, "allocine", "Col1", "2"));
    ASSERT_TRUE(WriteIniString(file, "allocine", "Col2", ""));
    ASSERT_TRUE(WriteIniString(file, "imdb", "Col1", "3"));
    ASSERT_TRUE(WriteIniString(file, "ALLOCINE", "col1", "4"));
    EXPECT_EQ(contents(file), "[allocine]\nCol1=4\nCol2=\n[imdb]\nCol1=3\n");
    EXPECT_EQ(ReadIniString(file, "Allocine", "Col2", "<def>"), "");
    EXPECT_EQ(entries(), QStringList{"Trouvel.ini"});
}

TEST_F(IniWriteFile, KeepsUserTextOfAWindowsFile)
{
    const QString file = path("Trouvel.ini");
    const QByteArray before = "\xEF\xBB\xBF; r\xC3\xA9glages\r\n\r\n[S]\r\nCol1 = 1\r\n  ; garder\r\nCol2=2\r\n";
    put(file, before);
    ASSERT_TRUE(WriteIniString(file, "s", "COL1", "5"));
    EXPECT_EQ(contents(file), "\xEF\xBB\xBF; r\xC3\xA9glages\r\n\r\n[S]\r\nCol1 = 5\r\n  ; garder\r\nCol2=2\r\n");
}

TEST_F(IniWriteFile, MissingFolderFails)
{
    EXPECT_FALSE(WriteIniString(path("missing/Trouvel.ini"), "S", "k", "v"));
    EXPECT_FALSE(QFile::exists(path("missing")));
}

TEST_F(IniWriteFile, RefusedValueLeavesFileAlone)
{
    const QString file = path("Trouvel.ini");
    put(file, "[S]\nk=1\n");
    EXPECT_FALSE(WriteIniString(file, "S", "k", "1\n[T]\nx=2"));
    EXPECT_EQ(contents(file), "[S]\nk=1\n");
}

// Several keys go in one write: all of them, or none when one cannot be stored.
TEST_F(IniWriteFile, SeveralValuesAreWrittenTogetherOrNotAtAll)
{
    const QString file = path("Trouvel.ini");
    put(file, "[S]\nCol1=1\n");
    EXPECT_NE(writeIniValues(file, "S", {{"Col1", "2"}, {"Col2", "x\ny"}}), QString());
    EXPECT_EQ(contents(file), "[S]\nCol1=1\n");
    EXPECT_EQ(writeIniValues(file, "S", {{"Col1", "2"}, {"Col2", "3"}, {"Caption1", "Titre"}}), QString());
    EXPECT_EQ(contents(file), "[S]\nCol1=2\nCol2=3\nCaption1=Titre\n");
    EXPECT_EQ(entries(), QStringList{"Trouvel.ini"});
}

TEST_F(IniWriteFile, ReadOnlyFolderFailsAndKeepsOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind root; see WriteFailureKeepsOldFile";
    const QString file = path("Trouvel.ini");
    put(file, "[S]\nk=1\n");
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool written = WriteIniString(file, "S", "k", "2");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(file), "[S]\nk=1\n");
    EXPECT_EQ(entries(), QStringList{"Trouvel.ini"});
}

// A write that fails half-way (here: the file-size limit, which binds root too) must leave
// the old file whole and no temporary file behind.
TEST_F(IniWriteFile, WriteFailureKeepsOldFile)
{
    const QString file = path("Trouvel.ini");
    const QByteArray before = "[S]\nk=1\n";
    put(file, before);
    bool written = true;
    {
        trouvel::testsupport::FileSizeLimit limit(64);
        written = WriteIniString(file, "S", "k", QString(4096, u'x'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(file), before);
    EXPECT_EQ(entries(), QStringList{"Trouvel.ini"});
}

TEST_F(IniWriteFile, FolderInPlaceOfFileFails)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Trouvel.ini"));
    EXPECT_FALSE(WriteIniString(path("Trouvel.ini"), "S", "k", "v"));
}

} // namespace
