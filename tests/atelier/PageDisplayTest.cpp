// The page offsets where patterns match land on the same characters in the text view, whatever
// line ends the stored page has.
#include "PageDisplay.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace trouvel::atelier {
namespace {

struct DisplayCase {
    const char* name;
    QString page;
    int lines; // the view's lines
};
void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.name; }

class DisplayRows : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayRows, EveryCharacterShownKeepsItsOffset)
{
    const DisplayCase& c = GetParam();
    const PageDisplay display(c.page);
    QTextDocument document;
    document.setPlainText(display.text());
    EXPECT_EQ(document.blockCount(), c.lines);
    for (qsizetype i = 0; i < c.page.size(); ++i) {
        const QChar ch = c.page[i];
        if (ch == u'\r' || ch == u'\n' || ch.unicode() == 0xFDD0)
            continue;
        EXPECT_EQ(document.characterAt(display.position(i)), ch) << "offset " << i;
    }
    EXPECT_EQ(display.position(c.page.size()), document.characterCount() - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DisplayRows,
    ::testing::Values(DisplayCase{"line_feeds", QStringLiteral("ab\ncd\nef"), 3},
                      DisplayCase{"cr_lf", QStringLiteral("HTTP/1.1 200 OK\r\nX: y\r\n\r\n<p>z</p>"), 4},
                      DisplayCase{"cr_cr_lf_of_a_body_sent_with_cr_lf", QStringLiteral("<a>\r\r\n<b>\r\r\n<c>"), 3},
                      DisplayCase{"lone_cr", QStringLiteral("a\rb\r\nc"), 3},
                      DisplayCase{"frame_mark", QStringLiteral("a") + QChar(0xFDD0) + QStringLiteral("b"), 1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::atelier
