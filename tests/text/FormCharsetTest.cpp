// How a title goes into a form in a site's charset, and which charset a page declares.
#include "text/FormCharset.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

namespace trouvel::text {
namespace {

struct FormCase {
    const char* name;
    QString text;
    QString charset;
    QString expected;
};

void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }

class FormEncoding : public ::testing::TestWithParam<FormCase> {};

TEST_P(FormEncoding, AsABrowserSendsAFormValue)
{
    EXPECT_EQ(formEncoded(GetParam().text, GetParam().charset), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormEncoding,
    ::testing::Values(
        FormCase{"NoCharsetLeavesTheText", QStringLiteral("L'Été"), {}, QStringLiteral("L'Été")},
        FormCase{"Latin1", QStringLiteral("L'Été"), QStringLiteral("iso-8859-1"), QStringLiteral("L'%C9t%E9")},
        // Browsers read the Latin-1 label as windows-1252: "œ" and "€" are its bytes.
        FormCase{"Latin1LabelAs1252", QStringLiteral("Cœur €"), QStringLiteral("ISO-8859-1"), QStringLiteral("C%9Cur %80")},
        FormCase{"Utf8", QStringLiteral("é"), QStringLiteral("utf-8"), QStringLiteral("%C3%A9")},
        FormCase{"Unmappable", QStringLiteral("Ж ❤"), QStringLiteral("windows-1252"), QStringLiteral("%26%231046%3B %26%2310084%3B")},
        FormCase{"OutsideTheBmp", QStringLiteral("a\U0001F3AC"), QStringLiteral("iso-8859-15"), QStringLiteral("a%26%23127916%3B")},
        FormCase{"UnknownLeavesTheText", QStringLiteral("é"), QStringLiteral("klingon"), QStringLiteral("é")},
        // The title is one value whatever it holds: nothing in it ends the value or the query.
        FormCase{"QuerySeparatorsEncoded", QStringLiteral("#1 = 100% ?+"), {}, QStringLiteral("%231 %3D 100%25 %3F%2B")},
        FormCase{"SeparatorsWithACharset", QStringLiteral("Été & co"), QStringLiteral("iso-8859-1"), QStringLiteral("%C9t%E9 %26 co")}),
    [](const auto& info) { return std::string(info.param.name); });

struct DeclaredCase {
    const char* name;
    QByteArray page;
    QString expected;
    bool singleByte;
};

void PrintTo(const DeclaredCase& c, std::ostream* os) { *os << c.name; }

class DeclaredCharset : public ::testing::TestWithParam<DeclaredCase> {};

TEST_P(DeclaredCharset, HeaderFirstThenByteOrderMarkThenMeta)
{
    EXPECT_EQ(declaredCharset(GetParam().page), GetParam().expected);
    EXPECT_EQ(isSingleByteCharset(GetParam().expected), GetParam().singleByte);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeclaredCharset,
    ::testing::Values(
        DeclaredCase{"StoredLineEnds", "HTTP/1.0 200 OK\r\r\nContent-Type: text/html\r\r\n\r\r\n<meta charset=\"iso-8859-15\">",
                     "iso-8859-15", true},
        DeclaredCase{"Header", "HTTP/1.1 200 OK\r\nContent-Type: text/html; Charset=\"ISO-8859-1\"\r\n\r\n<p>", "iso-8859-1", true},
        DeclaredCase{"HeaderBeatsMeta", "HTTP/1.1 200 OK\r\nContent-Type: text/html;charset=utf-8\r\n\r\n<meta charset=latin1>",
                     "utf-8", false},
        DeclaredCase{"FinalResponseAfterRedirect",
                     "HTTP/1.1 302 Found\r\nContent-Type: text/html; charset=utf-8\r\nLocation: /b\r\n\r\n"
                     "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<META CHARSET='windows-1252'>",
                     "windows-1252", true},
        DeclaredCase{"HttpEquiv", "HTTP/1.0 200 OK\r\n\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">",
                     "koi8-r", true},
        DeclaredCase{"MultiByte", "HTTP/1.0 200 OK\r\n\r\n<meta charset=\"shift_jis\">", "shift_jis", false},
        DeclaredCase{"MetaPastTheFirstKiBIgnored", "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(1020, ' ') + "<meta charset=latin1>", "", false},
        DeclaredCase{"ByteOrderMarkBeatsMeta", "HTTP/1.0 200 OK\r\n\r\n\xEF\xBB\xBF<meta charset=latin1>", "utf-8", false},
        DeclaredCase{"None", "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>charset</p>", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CharsetProblem, UnknownNameIsRefusedInFrench)
{
    EXPECT_EQ(charsetProblem(QStringLiteral("Windows-1252")), QString());
    EXPECT_EQ(charsetProblem(QStringLiteral("latin-9x")),
              QStringLiteral("le jeu de caractères « latin-9x » est inconnu (par exemple : utf-8, iso-8859-1, windows-1252)"));
}

} // namespace
} // namespace trouvel::text
