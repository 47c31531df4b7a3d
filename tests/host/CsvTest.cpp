#include "catalogue/Csv.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

using cadrelle::csv::appendRecord;
using cadrelle::csv::parse;

struct ParseCase {
    const char* name;
    QString text;
    QList<QStringList> rows;
};

class CsvParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CsvParse, SplitsRecordsAndFields)
{
    QList<QStringList> rows;
    EXPECT_EQ(parse(GetParam().text, rows), QString());
    EXPECT_EQ(rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvParse,
    ::testing::Values(
        ParseCase{"plain_crlf", u"a,b\r\nc,d\r\n"_qs, {{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}}},
        ParseCase{"bare_lf", u"a,b\nc,d\n"_qs, {{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}}},
        ParseCase{"bare_cr", u"a,b\rc,d"_qs, {{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}}},
        ParseCase{"no_final_line_break", u"a,b"_qs, {{u"a"_qs, u"b"_qs}}},
        ParseCase{"quoted_comma", u"\"a,b\",c\r\n"_qs, {{u"a,b"_qs, u"c"_qs}}},
        ParseCase{"doubled_quotes", u"\"il dit \"\"oui\"\"\",x\r\n"_qs, {{u"il dit \"oui\""_qs, u"x"_qs}}},
        ParseCase{"line_breaks_kept_inside_quotes", u"\"l1\r\nl2\nl3\",x\r\n"_qs, {{u"l1\r\nl2\nl3"_qs, u"x"_qs}}},
        ParseCase{"empty_fields", u",,\r\n\"\",x,\r\n"_qs, {{u""_qs, u""_qs, u""_qs}, {u""_qs, u"x"_qs, u""_qs}}},
        ParseCase{"trailing_comma_at_end_of_text", u"a,"_qs, {{u"a"_qs, u""_qs}}},
        ParseCase{"blank_lines_skipped", u"\r\na,b\r\n\r\n\nc,d\r\n\r\n"_qs, {{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}}},
        ParseCase{"spaces_kept", u" a , b \r\n"_qs, {{u" a "_qs, u" b "_qs}}},
        ParseCase{"accents", u"Élodie,Ça été\r\n"_qs, {{u"Élodie"_qs, u"Ça été"_qs}}},
        ParseCase{"empty_text", QString(), {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    QString text;
    QString lineMention;
};

class CsvParseError : public ::testing::TestWithParam<BadCase> {};

TEST_P(CsvParseError, NamesTheLine)
{
    QList<QStringList> rows;
    const QString error = parse(GetParam().text, rows);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.startsWith(GetParam().lineMention)) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvParseError,
    ::testing::Values(BadCase{"unterminated_quote", u"a,b\r\n\"open,\r\nx\r\n"_qs, u"ligne 2 "_qs},
                      BadCase{"text_after_closing_quote", u"a\r\nb\r\n\"x\"y,z\r\n"_qs, u"ligne 3 "_qs},
                      BadCase{"quote_inside_plain_field", u"ab\"c,d\r\n"_qs, u"ligne 1 "_qs},
                      BadCase{"line_count_follows_quoted_breaks", u"\"1\n2\n3\",x\r\nq\"\r\n"_qs, u"ligne 4 "_qs},
                      BadCase{"runaway_quote_named_where_it_opens", u"a,b\r\n\"x,y\r\nc,d\r\n\"e,f\r\n"_qs, u"ligne 2 : guillemet ouvert ici et refermé ligne 4"_qs}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvFormat, QuotesOnlyWhatNeedsIt)
{
    QByteArray out;
    appendRecord(out, {u"plain"_qs, u"a,b"_qs, u"say \"hi\""_qs, u"l1\nl2"_qs, QString(), u" sp "_qs, u"\uFEFFbom"_qs});
    EXPECT_EQ(out, QByteArray("plain,\"a,b\",\"say \"\"hi\"\"\",\"l1\nl2\",, sp ,\"\xEF\xBB\xBF" "bom\"\r\n"));
}

TEST(CsvRoundTrip, AwkwardFieldsComeBackUnchanged)
{
    // Fields built from the characters that matter to the format, in every arrangement.
    const QString alphabet = u"a\",\r\né ü"_qs;
    QRandomGenerator rng(4180);
    QList<QStringList> records;
    for (int r = 0; r < 300; ++r) {
        QStringList record;
        for (int f = 0; f < 4; ++f) {
            QString field;
            const int length = int(rng.bounded(6));
            for (int i = 0; i < length; ++i)
                field.append(alphabet.at(int(rng.bounded(alphabet.size()))));
            record.append(field);
        }
        records.append(record);
    }
    QByteArray text;
    for (const QStringList& record : records)
        appendRecord(text, record);
    QList<QStringList> back;
    ASSERT_EQ(parse(QString::fromUtf8(text), back), QString());
    EXPECT_EQ(back, records);
}

} // namespace
