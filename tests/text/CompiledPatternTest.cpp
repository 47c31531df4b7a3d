// Compiled patterns are shared by the process: the same text and options compile once,
// however many RegExp objects use them, and the cache stays bounded.
#include "text/CompiledPattern.h"
#include "text/RegExp.h"

#include <gtest/gtest.h>

namespace trouvel::text {
namespace {

TEST(CompiledPatternCache, SameTextAndOptionsCompileOnce)
{
    const auto first = compiledPattern(QStringLiteral("<h1>([\\s\\S]*?)</h1>"), true, true);
    EXPECT_EQ(compiledPattern(QStringLiteral("<h1>([\\s\\S]*?)</h1>"), true, true), first);
    EXPECT_NE(compiledPattern(QStringLiteral("<h1>([\\s\\S]*?)</h1>"), false, true), first);
    EXPECT_NE(compiledPattern(QStringLiteral("<h1>([\\s\\S]*?)</h1>"), true, false), first);

    // Two objects matching with one program each keep their own results.
    RegExp a;
    RegExp b;
    a.Pattern(QStringLiteral("(\\d+)"));
    b.Pattern(QStringLiteral("(\\d+)"));
    a.Global(true);
    EXPECT_EQ(a.Execute(QStringLiteral("1 22")).size(), 2u);
    EXPECT_EQ(b.Execute(QStringLiteral("333")).at(0).SubMatches(0), QStringLiteral("333"));
    EXPECT_EQ(a.Execute(QStringLiteral("4")).at(0).Value, QStringLiteral("4"));
}

TEST(CompiledPatternCache, BoundedLeastRecentlyUsedFirstOut)
{
    const QString kept = QStringLiteral("kept-[0-9]");
    const QString dropped = QStringLiteral("dropped-[0-9]");
    const auto droppedFirst = compiledPattern(dropped, false, false);
    const auto keptFirst = compiledPattern(kept, false, false);
    for (int i = 0; i < 600; ++i) {
        compiledPattern(QStringLiteral("filler-%1").arg(i), false, false);
        if (i % 100 == 0)
            compiledPattern(kept, false, false); // used now and then
    }
    EXPECT_EQ(compiledPattern(kept, false, false), keptFirst);
    EXPECT_NE(compiledPattern(dropped, false, false), droppedFirst);
}

TEST(CompiledPatternCache, InvalidPatternThrowsEveryTime)
{
    EXPECT_THROW(compiledPattern(QStringLiteral("(a"), false, false), RegExpError);
    EXPECT_THROW(compiledPattern(QStringLiteral("(a"), false, false), RegExpError);
}

} // namespace
} // namespace trouvel::text
