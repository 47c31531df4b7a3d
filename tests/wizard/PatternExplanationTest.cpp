#include "wizard/PatternExplanation.h"

#include "text/PatternItems.h"

#include <gtest/gtest.h>

namespace trouvel::wizard {
namespace {

const QString kPage = QStringLiteral("<html>\n<h1 class=\"titre\">Nord/Sud</h1>\n<td class=annee>1988</td>\n");

struct PartialRow {
    const char* name;
    const char* pattern;
    int itemsMatched;
    const char* failingItem;
    const char* stopsAt; // what the page holds right after where the run stops
};

class PartialMatch : public ::testing::TestWithParam<PartialRow> {};

TEST_P(PartialMatch, SaysHowFarThePatternGetsAndWhereItStops)
{
    const PartialRow& row = GetParam();
    const PatternExplanation e = explainPattern(QString::fromUtf8(row.pattern), kPage, {1});
    ASSERT_EQ(e.matches, 0);
    EXPECT_EQ(e.itemsMatched, row.itemsMatched);
    EXPECT_EQ(e.failingItem, QString::fromUtf8(row.failingItem));
    EXPECT_TRUE(kPage.mid(e.partialFrom + e.partialLength).startsWith(QString::fromUtf8(row.stopsAt)))
        << kPage.mid(e.partialFrom + e.partialLength).left(20).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Depths, PartialMatch,
    ::testing::Values(PartialRow{"FirstItemNowhere", "zz(\\d)", 0, "z", "<html>"},
                      PartialRow{"AfterALiteralRun", "<td class=an>(\\d{4})", 12, ">", "nee>"},
                      PartialRow{"AfterAGroup", "<h1 class=\"titre\">([^<]+)</h2>", 22, "2", "1>"},
                      PartialRow{"AQuantifiedItemIsOne", "annee>\\d{4}x", 7, "x", "</td>"},
                      PartialRow{"ClassEscapeAndCountWhole", "[<]td\\sclas{2}=x", 9, "x", "annee>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PatternExplanation, MarksTheKeptGroupsOfTheMatchTheStepReads)
{
    const PatternExplanation first = explainPattern(QStringLiteral("<(h1|td)[^>]*>([^<]+)<"), kPage, {2});
    ASSERT_EQ(first.matches, 2);
    EXPECT_EQ(pageExcerpt(kPage, first.from, first.length, first.kept).section(u'[', 1).toStdString(), QStringLiteral("<h1 class=\"titre\">⟨2:Nord/Sud⟩<]/h1>⏎<td class=annee>1988</td>…").toStdString());
    const PatternExplanation last = explainPattern(QStringLiteral("<(h1|td)[^>]*>([^<]+)<"), kPage, {1, 2, 7}, ReadMatch::Last);
    ASSERT_EQ(last.kept.size(), 2u); // group 7 does not exist
    EXPECT_TRUE(explanationText(last, kPage).startsWith(QStringLiteral("ligne 3, colonne 1 (2 correspondances")));
    EXPECT_TRUE(explanationText(last, kPage).contains(QStringLiteral("[<⟨1:td⟩ class=annee>⟨2:1988⟩<]"))) << explanationText(last, kPage).toStdString();

    // A match at the very start of the page is on its first line and column.
    EXPECT_TRUE(explanationText(explainPattern(QStringLiteral("<html>"), kPage, {}), kPage).startsWith(QStringLiteral("ligne 1, colonne 1 : ")));

    const PatternExplanation broken = explainPattern(QStringLiteral("<td>(\\d+"), kPage, {1});
    EXPECT_EQ(broken.errorPosition >= 0, true);
    EXPECT_TRUE(explanationText(broken, kPage).startsWith(QStringLiteral("motif en erreur, caractère ")));
}

TEST(PatternItems, AlternationAtTheTopCannotBeCut)
{
    EXPECT_TRUE(text::patternItemEnds(QStringLiteral("a|b")).empty());
    EXPECT_EQ(text::patternItemEnds(QStringLiteral("(a|b)c*?\\x41[]]{2,}")), (std::vector<qsizetype>{5, 8, 12, 14, 19}));
}

} // namespace
} // namespace trouvel::wizard
