#include "config/IniFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::config;

namespace {

struct LookupCase {
    const char* name;
    QByteArray content;
    QString section;
    QString key;
    QString expected; // the default is always "<def>"
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class IniLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, ReadsValue)
{
    const LookupCase& c = GetParam();
    EXPECT_EQ(iniLookup(c.content, c.section, c.key, QStringLiteral("<def>")), c.expected);
}

const QString kDef = QStringLiteral("<def>");

INSTANTIATE_TEST_SUITE_P(
    Rows, IniLookup,
    ::testing::Values(
        LookupCase{"plain", "[Options]\nHTTP=1\n", "Options", "HTTP", "1"},
        LookupCase{"section_case", "[options]\nHTTP=1\n", "OPTIONS", "HTTP", "1"},
        LookupCase{"key_case", "[Options]\nhttp=1\n", "Options", "Http", "1"},
        LookupCase{"accented_section_case", "[R\xc3\xa9sum\xc3\xa9]\nk=v\n", QString::fromUtf8("RÉSUMÉ"), "k", "v"},
        LookupCase{"blanks_around_equals", "[S]\nKey \t=  \tvalue\n", "S", "Key", "value"},
        LookupCase{"blanks_around_section", "[  S \t]\nk=v\n", "S", "k", "v"},
        LookupCase{"blanks_before_section_and_key", "  [S]\n\t k=v\n", "S", "k", "v"},
        LookupCase{"value_trimmed_inner_kept", "[S]\nk=  a  b \t\n", "S", "k", "a  b"},
        LookupCase{"empty_value_not_default", "[S]\nk=\n", "S", "k", ""},
        LookupCase{"blank_value_not_default", "[S]\nk=   \n", "S", "k", ""},
        LookupCase{"missing_key", "[S]\nother=1\n", "S", "k", kDef},
        LookupCase{"missing_section", "[T]\nk=1\n", "S", "k", kDef},
        LookupCase{"empty_content", "", "S", "k", kDef},
        LookupCase{"key_in_next_section_not_taken", "[S]\na=1\n[T]\nk=2\n", "S", "k", kDef},
        LookupCase{"key_before_any_section_ignored", "k=0\n[S]\nk=1\n", "S", "k", "1"},
        LookupCase{"duplicate_key_first_wins", "[S]\nk=first\nK=second\n", "S", "k", "first"},
        LookupCase{"duplicate_section_first_wins", "[S]\nk=first\n[T]\n[s]\nk=second\n", "S", "k", "first"},
        LookupCase{"duplicate_section_second_not_searched", "[S]\na=1\n[S]\nk=2\n", "S", "k", kDef},
        LookupCase{"comment_line_not_key", "[S]\n;k=1\n  ; k=2\n", "S", "k", kDef},
        LookupCase{"comment_between_keys", "[S]\n; note\nk=1\n", "S", "k", "1"},
        LookupCase{"line_without_equals_not_key", "[S]\nk\nk value\n", "S", "k", kDef},
        LookupCase{"value_with_equals", "[S]\nk=a=b\n", "S", "k", "a=b"},
        LookupCase{"value_with_semicolon", "[S]\nk=a;b\n", "S", "k", "a;b"},
        LookupCase{"quotes_removed", "[S]\nk=\"abc\"\n", "S", "k", "abc"},
        LookupCase{"one_pair_of_quotes_only", "[S]\nk=\"\"abc\"\"\n", "S", "k", "\"abc\""},
        LookupCase{"quoted_blanks_kept", "[S]\nk= \"  a  \" \n", "S", "k", "  a  "},
        LookupCase{"empty_quotes", "[S]\nk=\"\"\n", "S", "k", ""},
        LookupCase{"lone_quote_kept", "[S]\nk=\"\n", "S", "k", "\""},
        LookupCase{"unbalanced_quote_kept", "[S]\nk=\"abc\n", "S", "k", "\"abc"},
        LookupCase{"crlf", "[S]\r\na=1\r\nk=v\r\n", "S", "k", "v"},
        LookupCase{"crlf_empty_value", "[S]\r\nk=\r\n", "S", "k", ""},
        LookupCase{"bom_crlf", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "v"},
        LookupCase{"bom_utf8_value", "\xEF\xBB\xBF[S]\r\nk=Ann\xC3\xA9" "e\r\n", "S", "k", QString::fromUtf8("Année")},
        LookupCase{"windows1252_value", "[S]\r\nk=Ann\xE9" "e \x80\r\n", "S", "k", QString::fromUtf8("Année €")},
        LookupCase{"windows1252_section", "[R\xE9sum\xE9]\nk=v\n", QString::fromUtf8("résumé"), "k", "v"},
        LookupCase{"last_line_without_end", "[S]\nk=v", "S", "k", "v"},
        LookupCase{"text_after_section_bracket", "[S] ; old\nk=v\n", "S", "k", "v"},
        LookupCase{"regex_value_kept", "[S]\nPattern=film/(\\d+)[^>]*>([^<]+)</a>\n", "S", "Pattern",
                   "film/(\\d+)[^>]*>([^<]+)</a>"}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

TEST(IniLookupLimits, LongValuesAreCutTo1023)
{
    struct Row {
        const char* name;
        qsizetype stored;
        qsizetype expected;
    };
    for (const Row& row : {Row{"2000", 2000, 1023}, Row{"1024", 1024, 1023}, Row{"1023", 1023, 1023}, Row{"1022", 1022, 1022}}) {
        SCOPED_TRACE(row.name);
        QString value;
        for (qsizetype i = 0; i < row.stored; ++i)
            value.append(QChar(char16_t(u'a' + i % 26)));
        const QByteArray content = "[S]\r\nk=" + value.toUtf8() + "\r\n";
        EXPECT_EQ(iniLookup(content, "S", "k", kDef), value.left(row.expected));
    }
}

TEST(IniLookupLimits, CutNeverSplitsASurrogatePair)
{
    const QString value = QString(1022, u'x') + QString::fromUtf8("😀") + "tail";
    const QString read = iniLookup("[S]\nk=" + value.toUtf8() + "\n", "S", "k", kDef);
    EXPECT_EQ(read, QString(1022, u'x'));
    EXPECT_TRUE(read.isValidUtf16());
}

TEST(IniFlag, FalseOnlyForExactZero)
{
    EXPECT_FALSE(IniFlag("0"));
    for (const char* text : {"", " 0", "0 ", "00", "1", "-1", "no", "false"})
        EXPECT_TRUE(IniFlag(text)) << '"' << text << '"';
}

class IniReadFile : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QTemporaryDir dir;
};

TEST_F(IniReadFile, ReadsFromDisk)
{
    const QString file = write("s.tvs", "\xEF\xBB\xBF[FilmPage]\r\nCount = 3\r\n");
    EXPECT_EQ(ReadIniString(file, "filmpage", "COUNT", "0"), "3");
    EXPECT_EQ(ReadIniString(file, "filmpage", "Match1", "??"), "??");
}

TEST_F(IniReadFile, MissingOrUnreadableFileGivesDefault)
{
    EXPECT_EQ(ReadIniString(dir.filePath("none.ini"), "S", "k", "d"), "d");
    EXPECT_EQ(ReadIniString(dir.filePath("missing/none.ini"), "S", "k", "d"), "d");
    EXPECT_EQ(ReadIniString(dir.path(), "S", "k", "d"), "d"); // a folder, not a file
}

TEST_F(IniReadFile, AChangedFileIsReadAgain)
{
    // The content is kept between reads while the file is unchanged; a file changed in the
    // last seconds is always read afresh, so the files here are dated back.
    const auto writeDated = [&](const QByteArray& bytes, int hoursAgo) {
        const QString file = write("Trouvel.ini", bytes);
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite));
        EXPECT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * hoursAgo), QFileDevice::FileModificationTime));
        return file;
    };
    const QString file = writeDated("[Demo]\nCol2=2\n", 1);
    EXPECT_EQ(ReadIniString(file, "Demo", "Col2", "0"), "2");
    EXPECT_EQ(ReadIniString(file, "Demo", "Col2", "0"), "2");
    writeDated("[Demo]\nCol2=3\n", 2); // same size, written by someone else
    EXPECT_EQ(ReadIniString(file, "Demo", "Col2", "0"), "3");
    ASSERT_TRUE(WriteIniString(file, "Demo", "Col2", "4"));
    EXPECT_EQ(ReadIniString(file, "Demo", "Col2", "0"), "4");
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(ReadIniString(file, "Demo", "Col2", "0"), "0");
    writeDated("[Demo]\nCol2=5\n", 1); // a new file where the old one was
    EXPECT_EQ(ReadIniString(file, "Demo", "Col2", "0"), "5");
}

} // namespace
