// JSON string escapes as a reader of the value gets them, and which stored pages are JSON.
#include "text/JsonText.h"
#include "text/StoredPage.h"

#include "text/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace trouvel::text;

namespace {

struct JsonRow {
    const char* name;
    const char* input; // UTF-8
    const char* expected;
};

class JsonUnescape : public ::testing::TestWithParam<JsonRow> {};

TEST_P(JsonUnescape, GivesTheStringsText)
{
    EXPECT_EQ(jsonUnescaped(QString::fromUtf8(GetParam().input)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, JsonUnescape, ::testing::Values(
    JsonRow{"Accents", "No\\u00e9mie Daun\\u00E8s", "Noémie Daunès"},
    JsonRow{"SurrogatePair", "\\ud83c\\udfac Cin\\u00e9", "\U0001F3AC Ciné"},
    JsonRow{"Slashes", "http:\\/\\/s\\/affiches\\/9.jpg", "http://s/affiches/9.jpg"},
    JsonRow{"QuotesAndBackslash", "\\\"Heat\\\" \\\\ 1995", "\"Heat\" \\ 1995"},
    JsonRow{"Controls", "a\\tb\\nc\\rd\\be\\ff", "a\tb\nc\rd\be\ff"},
    JsonRow{"LoneSurrogateStays", "\\ud83c x \\udfac", "\\ud83c x \\udfac"},
    JsonRow{"ShortOrUnknownStays", "\\u00e \\x41 \\", "\\u00e \\x41 \\"},
    JsonRow{"Nothing", "Le grand bleu", "Le grand bleu"}),
    [](const ::testing::TestParamInfo<JsonRow>& info) { return std::string(info.param.name); });

struct JsonPageRow {
    const char* name;
    const char* page;
    bool json;
};

class JsonPage : public ::testing::TestWithParam<JsonPageRow> {};

TEST_P(JsonPage, IsToldByTheFinalContentType)
{
    EXPECT_EQ(isJsonPage(QByteArray(GetParam().page)), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(Rows, JsonPage, ::testing::Values(
    JsonPageRow{"Json", "HTTP/1.1 200 OK\r\r\nContent-Type: application/json; charset=utf-8\r\r\n\r\r\n{}", true},
    JsonPageRow{"LinkedData", "HTTP/1.1 200 OK\r\nCONTENT-TYPE: Application/LD+JSON\r\n\r\n{}", true},
    JsonPageRow{"TextJson", "HTTP/1.0 200 OK\r\nContent-Type: text/json\r\n\r\n[]", true},
    JsonPageRow{"Html", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n{\"a\": 1}", false},
    JsonPageRow{"FinalResponseDecides", "HTTP/1.1 302 Found\r\nContent-Type: application/json\r\n\r\nHTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<p>", false},
    JsonPageRow{"NoHeader", "HTTP/1.1 200 OK\r\n\r\n{}", false}),
    [](const ::testing::TestParamInfo<JsonPageRow>& info) { return std::string(info.param.name); });

} // namespace
