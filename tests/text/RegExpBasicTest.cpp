#include "text/RegExp.h"

#include <gtest/gtest.h>

using namespace trouvel::text;

TEST(RegExpBasic, GlobalExecuteListsEveryMatchWithGroups)
{
    RegExp re;
    re.Pattern(QStringLiteral("film/(\\d+)[^>]*>([^<]+)</a>"));
    re.Global(true);
    re.IgnoreCase(true);
    const Matches m = re.Execute(QStringLiteral("<a href=film/12>Heat</a> <A HREF=FILM/7 x>Ran</A>"));
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].SubMatches(0), QStringLiteral("12"));
    EXPECT_EQ(m[1].SubMatches(1), QStringLiteral("Ran"));
    EXPECT_THROW(m[0].SubMatches(2), RegExpError);
}

TEST(RegExpBasic, InvalidPatternNamesPosition)
{
    RegExp re;
    re.Pattern(QStringLiteral("ab(c"));
    try {
        re.Test(QStringLiteral("abc"));
        FAIL() << "no error";
    } catch (const RegExpError& e) {
        EXPECT_GE(e.position(), 0);
    }
}

TEST(RegExpBasic, ReplaceIsLiteralAndStepsPastEmptyMatches)
{
    RegExp re;
    re.Global(true);
    re.Pattern(QStringLiteral("x*"));
    EXPECT_EQ(re.Replace(QStringLiteral("abc"), QStringLiteral("$1-")), QStringLiteral("$1-a$1-b$1-c$1-"));
}
