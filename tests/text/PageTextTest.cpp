// A stored page read in the charset it declares, else the script's, else by the byte-wise guess.
#include "text/PageText.h"

#include "text/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace trouvel::text;

namespace {

struct PageRow {
    const char* name;
    QByteArray page;
    const char* scriptCharset;
    const char* body; // UTF-8: the text after the head
};

class PageDecoding : public ::testing::TestWithParam<PageRow> {};

TEST_P(PageDecoding, TheDeclaredCharsetDecides)
{
    const QString text = decodePage(GetParam().page, QString::fromLatin1(GetParam().scriptCharset));
    const QString body = QString::fromUtf8(GetParam().body);
    EXPECT_TRUE(text.endsWith(body)) << text.toStdString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("HTTP/1."))) << text.toStdString();
}

const QByteArray kLatin1Head = "HTTP/1.1 200 OK\r\r\nContent-Type: text/html; charset=iso-8859-1\r\r\n\r\r\n";
const QByteArray kPlainHead = "HTTP/1.1 200 OK\r\r\nContent-Type: text/html\r\r\n\r\r\n";

INSTANTIATE_TEST_SUITE_P(Rows, PageDecoding, ::testing::Values(
    // C9 BB and C9 94 are also UTF-8 (U+027B, U+0254): only the declaration tells them apart.
    PageRow{"HeaderLatin1Lookalike", kLatin1Head + "<p>\xAB" "B\xC9" "B\xC9\xBB</p>", "", "<p>«BÉBÉ»</p>"},
    PageRow{"Meta1252Lookalike", kPlainHead + "<meta charset=\"windows-1252\"><p>\x93" "CIN\xC9\x94</p>", "", "<p>“CINÉ”</p>"},
    PageRow{"HeaderBeatsMetaAndScript", "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<meta charset=latin1>\xC3\xA9",
            "iso-8859-1", "<meta charset=latin1>é"},
    PageRow{"ScriptWhenThePageSaysNothing", kPlainHead + "\xC9" "t\xE9 \xC9\xBB", "iso-8859-1", "Été É»"},
    PageRow{"DeclaredBeatsScript", kPlainHead + "<meta charset=utf-8>\xC9\xBB", "iso-8859-1", "<meta charset=utf-8>\xC9\xBB"},
    PageRow{"GuessWhenNothingIsSaid", kPlainHead + "\xC9" "t\xE9 \xC3\xA9", "", "Été é"},
    PageRow{"UnknownCharsetIsGuessed", "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=klingon\r\n\r\n\xC9" "t\xE9", "", "Été"},
    PageRow{"Utf8KeepsWhatIsNotUtf8", "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n\xC3\xA9 \xE9", "", "é é"}),
    [](const ::testing::TestParamInfo<PageRow>& info) { return std::string(info.param.name); });

} // namespace
