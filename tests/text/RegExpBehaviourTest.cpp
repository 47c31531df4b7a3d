// What the conformance table cannot show: errors and their messages, option changes on a
// live object, limits on runaway matching, and text that is not clean UTF-16.
#include "text/RegExp.h"
#include "text/TextCodec.h"

#include "text/QStringPrinter.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace trouvel::text;

namespace {

RegExpError errorOf(const QString& pattern)
{
    RegExp re;
    re.Pattern(pattern);
    try {
        re.compile();
    } catch (const RegExpError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for " << pattern.toStdString();
    return RegExpError(QString());
}

struct ErrorRow {
    const char* name;
    const char* pattern;
    qsizetype position;
    const char* words; // part of the message naming the problem
};

class RegExpErrorMessage : public ::testing::TestWithParam<ErrorRow> {};

TEST_P(RegExpErrorMessage, NamesProblemAndPosition)
{
    const ErrorRow& row = GetParam();
    const RegExpError e = errorOf(QString::fromUtf8(row.pattern));
    EXPECT_EQ(e.position(), row.position);
    EXPECT_TRUE(e.message().contains(QString::fromUtf8(row.words))) << e.what();
    EXPECT_TRUE(e.message().contains(QStringLiteral("position %1").arg(row.position))) << e.what();
}

INSTANTIATE_TEST_SUITE_P(Rows, RegExpErrorMessage, ::testing::Values(
    ErrorRow{"UnclosedGroup", "ab(c", 2, "non fermée"},
    ErrorRow{"StrayCloser", "abc)d", 3, "sans parenthèse ouvrante"},
    ErrorRow{"UnclosedClass", "x[a-z", 1, "classe"},
    ErrorRow{"NothingToRepeat", "a|*b", 2, "rien à répéter"},
    ErrorRow{"DoubleQuantifier", "a*+", 2, "rien à répéter"},
    ErrorRow{"BracedQuantifierAlone", "{2}", 0, "rien à répéter"},
    ErrorRow{"AnchorRepeated", "^*", 1, "rien à répéter"},
    ErrorRow{"QuantifierOutOfOrder", "a{3,2}", 1, "désordre"},
    ErrorRow{"RangeOutOfOrder", "[z-a]", 1, "intervalle"},
    ErrorRow{"TrailingBackslash", "ab\\", 2, "fin du motif"},
    ErrorRow{"LookBehind", "x(?<=a)b", 1, "(?<"},
    ErrorRow{"InlineFlags", "(?i)a", 0, "(?"},
    ErrorRow{"QuantifierTooLargeOnAGroup", "(a){70000}", 3, "trop grand"}),
    [](const ::testing::TestParamInfo<ErrorRow>& info) { return std::string(info.param.name); });

TEST(RegExpErrors, DeepNestingIsRefusedNotAStackOverflow)
{
    const QString deep = QString(100000, u'(') + QString(100000, u')');
    EXPECT_TRUE(errorOf(deep).message().contains(QStringLiteral("imbriquées")));
}

TEST(RegExpErrors, SubMatchesBeyondLastGroupThrows)
{
    RegExp re;
    re.Pattern(QStringLiteral("(a)(b)?"));
    const Matches m = re.Execute(QStringLiteral("a"));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].SubMatchesCount(), 2);
    EXPECT_EQ(m[0].SubMatches(1), QString());
    EXPECT_THROW(m[0].SubMatches(2), RegExpError);
    EXPECT_THROW(m[0].SubMatches(-1), RegExpError);
}

TEST(RegExpErrors, InvalidPatternThrowsFromEveryOperation)
{
    RegExp re;
    re.Pattern(QStringLiteral("a("));
    EXPECT_THROW(re.Test(QStringLiteral("a")), RegExpError);
    EXPECT_THROW(re.Execute(QStringLiteral("a")), RegExpError);
    EXPECT_THROW(re.Replace(QStringLiteral("a"), QString()), RegExpError);
    // A valid pattern afterwards works on the same object.
    re.Pattern(QStringLiteral("a"));
    EXPECT_TRUE(re.Test(QStringLiteral("a")));
}

TEST(RegExpOptions, ChangingAnOptionOrThePatternTakesEffect)
{
    RegExp re;
    re.Pattern(QStringLiteral("^b$"));
    const QString text = QStringLiteral("a\nB\nc");
    EXPECT_FALSE(re.Test(text));
    re.Multiline(true);
    EXPECT_FALSE(re.Test(text));
    re.IgnoreCase(true);
    EXPECT_TRUE(re.Test(text));
    re.Multiline(false);
    EXPECT_FALSE(re.Test(text));
    re.Multiline(true);
    re.Pattern(QStringLiteral("^c$"));
    EXPECT_EQ(re.Execute(text).at(0).FirstIndex, 4);
    EXPECT_TRUE(re.IgnoreCase());
    EXPECT_TRUE(re.Multiline());
    EXPECT_FALSE(re.Global());
}

TEST(RegExpOptions, GlobalOffGivesAtMostTheFirstMatch)
{
    RegExp re;
    re.Pattern(QStringLiteral("o"));
    EXPECT_EQ(re.Execute(QStringLiteral("foo")).size(), 1u);
    EXPECT_EQ(re.Replace(QStringLiteral("foo"), QStringLiteral("0")), QStringLiteral("f0o"));
    re.Global(true);
    EXPECT_EQ(re.Execute(QStringLiteral("foo")).size(), 2u);
    EXPECT_EQ(re.Replace(QStringLiteral("foo"), QStringLiteral("0")), QStringLiteral("f00"));
}

TEST(RegExpLimits, CatastrophicBacktrackingGivesUpWithAnError)
{
    RegExp re;
    re.Pattern(QStringLiteral("(x+x+)+y"));
    const QString text = QString(40, u'x') + QStringLiteral("zy");
    try {
        re.Test(text);
        FAIL() << "no error";
    } catch (const RegExpError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Recherche abandonnée"))) << e.what();
    }
    // The object stays usable.
    re.Pattern(QStringLiteral("zy"));
    EXPECT_TRUE(re.Test(text));
}

TEST(RegExpLimits, DeepRepetitionOnALargePageSucceedsOrGivesUp)
{
    // Each iteration of an alternation keeps a backtracking point: on 10 MiB this is far
    // beyond the default JIT stack. It must end in a result or a RegExpError, not a crash.
    const QString page = QString(10 * 1024 * 1024, u'a');
    RegExp re;
    re.Pattern(QStringLiteral("(?:a|b)*c"));
    try {
        EXPECT_FALSE(re.Test(page));
    } catch (const RegExpError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Recherche abandonnée"))) << e.what();
    }
    re.Pattern(QStringLiteral("<td>([\\s\\S]*?)</td>"));
    re.Global(true);
    const QString cell = QStringLiteral("<td>x</td>");
    EXPECT_EQ(re.Execute(page + cell + page + cell).size(), 2u);
}

// Counts beyond 65535 (what PCRE2 can write), with the results V8 gives on the same subjects.
struct LargeCountCase {
    const char* name;
    const char* pattern;
    QString subject;
    qsizetype index; // -1: no match
    qsizetype length;
};

class RegExpLargeCount : public ::testing::TestWithParam<LargeCountCase> {};

TEST_P(RegExpLargeCount, MatchesAsTheDialect)
{
    RegExp re;
    re.Pattern(QString::fromLatin1(GetParam().pattern));
    const Matches m = re.Execute(GetParam().subject);
    if (GetParam().index < 0) {
        EXPECT_TRUE(m.empty());
        return;
    }
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].FirstIndex, GetParam().index);
    EXPECT_EQ(m[0].Length, GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RegExpLargeCount,
    ::testing::Values(LargeCountCase{"UpTo70000", "a{0,70000}", QString(70001, u'a'), 0, 70000},
                      LargeCountCase{"MaximumPast65535", "a{2,65536}b", QString(70000, u'a') + u'b', 4464, 65537},
                      LargeCountCase{"SafeIntegerCount", "b{9007199254740991}", QStringLiteral("bbb"), -1, 0},
                      LargeCountCase{"MinimumPast65535Short", "a{65536,}", QString(65535, u'a'), -1, 0},
                      LargeCountCase{"MinimumPast65535", "a{65536,}", u'x' + QString(65537, u'a'), 1, 65537},
                      LargeCountCase{"Lazy", "a{0,70000}?b", QString(10, u'a') + u'b', 0, 11},
                      LargeCountCase{"ClassFixed", "[ab]{70000}", QStringLiteral("ab").repeated(35000) + u'c', 0, 70000},
                      LargeCountCase{"ThenLineEnd", "a{1,70000}$", QString(70001, u'a'), 1, 70000},
                      // Past 64 runs of 65535 the length is checked by a callout.
                      LargeCountCase{"CheckedLength", "a{3,5000000}b", QStringLiteral("xaab aaaab"), 5, 5},
                      LargeCountCase{"CheckedLengthLazy", "a{5000000,}?", QString(10, u'a'), -1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegExpLargeCount, OnAGroupIsRefusedWithItsPosition)
{
    RegExp re;
    re.Pattern(QStringLiteral("x(ab){0,70000}"));
    try {
        re.compile();
        FAIL() << "accepted";
    } catch (const RegExpError& e) {
        EXPECT_EQ(e.position(), 5);
        EXPECT_TRUE(e.message().contains(QStringLiteral("65535"))) << e.what();
    }
}

struct LongMatchCase {
    const char* name;
    const char* pattern;
    bool global;
    int textRepeats; // how many times the subject's unit is repeated
};

class RegExpLongMatch : public ::testing::TestWithParam<LongMatchCase> {};

// The keep-going check is asked while a long match runs, inside one pcre2 call (a repeated
// group that may be empty, checked by callouts) and between the calls of a global walk;
// its "no" ends the match with MatchInterrupted.
TEST_P(RegExpLongMatch, KeepGoingIsAskedAndItsNoInterrupts)
{
    const LongMatchCase& c = GetParam();
    RegExp re;
    re.Pattern(QString::fromLatin1(c.pattern));
    re.Global(c.global);
    const QString text = QStringLiteral("<h1>") + QString(c.textRepeats, u'a');
    int asked = 0;
    re.keepGoing([&asked] { return ++asked < 2; });
    EXPECT_THROW(re.Execute(text), MatchInterrupted);
    EXPECT_EQ(asked, 2);
    // Without a check the match runs to its end or to its own limits, never interrupted.
    re.keepGoing({});
    try {
        re.Execute(text);
    } catch (const MatchInterrupted&) {
        FAIL() << "interrupted without a check";
    } catch (const RegExpError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Recherche abandonnée"))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, RegExpLongMatch,
    ::testing::Values(LongMatchCase{"RepeatedGroupThatMayBeEmpty", "<h1>([\\s\\S]*?)+=/h1>", false, 46},
                      LongMatchCase{"GlobalWalkOfManyMatches", "a|(?:x+x+)+y", true, 4 * 1024 * 1024},
                      LongMatchCase{"OneScanWithoutMatch", "[a]{1,5000}[#!]", false, 4 * 1024 * 1024}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegExpLongMatch, CheckThatUsesTheSameObjectIsRefused)
{
    RegExp re;
    re.Pattern(QStringLiteral("a"));
    re.Global(true);
    bool refused = false;
    re.keepGoing([&] {
        try {
            re.Test(QStringLiteral("a"));
        } catch (const RegExpError&) {
            refused = true;
        }
        return false;
    });
    EXPECT_THROW(re.Execute(QString(4 * 1024 * 1024, u'a')), MatchInterrupted);
    EXPECT_TRUE(refused);
}

// The window's check turns the event loop, which may run other patterns on the same thread
// while a long walk is inside a match: each match has a JIT stack of its own, deep enough
// for a long alternation, and both results stay right.
TEST(RegExpLongMatch, CheckMayRunAnotherPatternInsideAMatch)
{
    RegExp inner;
    inner.Pattern(QStringLiteral("^(?:a|(b))*c"));
    const QString innerText = QString(QStringLiteral("ab")).repeated(50000) + QLatin1Char('c');
    RegExp outer;
    outer.Global(true);
    outer.Pattern(QStringLiteral("((?:x|y?)+)z"));
    const QString segment = QString(5000, u'x') + QLatin1Char('z');
    const int segments = 1200;
    int innerRuns = 0;
    outer.keepGoing([&] {
        ++innerRuns;
        const Matches m = inner.Execute(innerText);
        EXPECT_EQ(m.size(), 1u);
        EXPECT_EQ(m.empty() ? QString() : m[0].SubMatches(0), QStringLiteral("b"));
        return true;
    });
    const Matches m = outer.Execute(segment.repeated(segments));
    EXPECT_GE(innerRuns, 1) << "the walk ended before its check was asked";
    ASSERT_EQ(m.size(), std::size_t(segments));
    for (const Match& match : m)
        ASSERT_EQ(match.SubMatches(0), segment.left(5000));
}

// A check that throws inside a match (from an event handler, or a pattern of its own that
// gives up) reaches the caller instead of ending the process in PCRE2's C frames.
TEST(RegExpLongMatch, WhatTheCheckThrowsReachesTheCaller)
{
    RegExp re;
    re.Global(true);
    re.Pattern(QStringLiteral("((?:x|y?)+)z"));
    re.keepGoing([]() -> bool { throw std::runtime_error("check"); });
    const QString text = (QString(5000, u'x') + QLatin1Char('z')).repeated(1200);
    EXPECT_THROW(re.Execute(text), std::runtime_error);
    re.keepGoing({});
    EXPECT_EQ(re.Execute(QStringLiteral("xxz")).size(), 1u);
}

// A small text is first tried without the JIT, under a tighter limit: a match that needs
// more work than that limit must still be found, with the usual limits, not given up.
TEST(RegExpLongMatch, HeavyBacktrackingOnASmallTextIsStillMatched)
{
    RegExp re;
    re.Pattern(QStringLiteral("^(?:(x+x+)+y|(x+)z)"));
    const QString text = QString(22, u'x') + QLatin1Char('z');
    const Matches m = re.Execute(text);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].SubMatches(1), QString(22, u'x'));
}

struct GiveUpRow {
    const char* name;
    const char* pattern;
    QString subject;
    const char* message;
};

class RegExpGivesUp : public ::testing::TestWithParam<GiveUpRow> {};

// Whatever stops it, PCRE2's own bounds or the time budget (also over one long scan that
// fails cheaply at every start position, with no callout to look at the clock), in French.
TEST_P(RegExpGivesUp, WithItsMessage)
{
    const GiveUpRow& row = GetParam();
    RegExp re;
    re.Pattern(QString::fromLatin1(row.pattern));
    re.IgnoreCase(true);
    try {
        re.Test(row.subject);
        FAIL() << "no error";
    } catch (const RegExpError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8(row.message));
    }
}

const QString kPageOfA(4 * 1024 * 1024, u'a');
const char* const kTimeUp = "Recherche abandonnée : l'expression régulière a dépassé le temps permis sur ce texte";

INSTANTIATE_TEST_SUITE_P(
    Rows, RegExpGivesUp,
    ::testing::Values(
        GiveUpRow{"TooLargeOnceCompiled", "(?:(?:a{100}){100}){100}", QString(),
                  "Expression régulière invalide : motif trop grand une fois compilé "
                  "(répétitions trop nombreuses ou trop longues)"},
        GiveUpRow{"BacktrackingLimit", "(x+x+)+y", QString(40, u'x') + QStringLiteral("zy"),
                  "Recherche abandonnée : l'expression régulière demande trop de retours en arrière sur ce texte "
                  "(limite d'essais atteinte)"},
        GiveUpRow{"LongScan", "[a]{1,5000}[#!]", kPageOfA, kTimeUp},
        // A back-reference without case keeps the pattern off the JIT.
        GiveUpRow{"LongScanInterpreted", "([a])[a]{1,5000}[#!]\\1", kPageOfA, kTimeUp}),
    [](const auto& info) { return std::string(info.param.name); });

struct LongTextRow {
    const char* name;
    const char* pattern;
    QString text;
    qsizetype index; // of the only match
    qsizetype length;
};

class RegExpLongText : public ::testing::TestWithParam<LongTextRow> {};

// A long text is scanned in windows of start positions, the first ending 4 Ki characters on:
// a match at a window's edge, or reaching far past it, is found as by one scan.
TEST_P(RegExpLongText, FindsWhatOneScanFinds)
{
    RegExp re;
    re.Pattern(QString::fromLatin1(GetParam().pattern));
    re.Multiline(true);
    re.Global(true);
    const Matches m = re.Execute(GetParam().text);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].FirstIndex, GetParam().index);
    EXPECT_EQ(m[0].Length, GetParam().length);
}

const QString kTail(100000, u'x');

INSTANTIATE_TEST_SUITE_P(
    Rows, RegExpLongText,
    ::testing::Values(
        LongTextRow{"AtTheFirstWindowsLastStart", "b", QString(4096, u'x') + u'b' + kTail, 4096, 1},
        LongTextRow{"JustPastTheFirstWindow", "b", QString(4097, u'x') + u'b' + kTail, 4097, 1},
        LongTextRow{"LineStartPastTheFirstWindow", "^b",
                    QString(100, u'x') + u'b' + QString(3995, u'x') + QStringLiteral("\nb") + kTail, 4097, 1},
        LongTextRow{"ReachingFarPastItsWindow", "<h1>[\\s\\S]*?</h1>",
                    QString(4000, u'x') + QStringLiteral("<h1>") + kTail + kTail + QStringLiteral("</h1>") + kTail,
                    4000, 200009}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegExpText, PositionsAreQStringPositions)
{
    RegExp re;
    re.Global(true);
    re.Pattern(QStringLiteral("b(.)"));
    // A character outside the BMP takes two positions, as in the dialect.
    const QString text = QStringLiteral("\U0001F3AC b\u00e9 b\U0001F3AC");
    const Matches m = re.Execute(text);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].FirstIndex, 3);
    EXPECT_EQ(m[0].SubMatches(0), QStringLiteral("\u00e9"));
    EXPECT_EQ(m[1].FirstIndex, 6);
    EXPECT_EQ(m[1].Length, 2);
}

TEST(RegExpText, BadBytesAndLoneSurrogatesDoNotStopMatching)
{
    // Windows-1252 "é" among UTF-8: the codec reads it as é, and matching goes on.
    const QString page = decodeText(QByteArray("<b>Caf\xE9</b> <b>Th\xC3\xA9</b>"));
    RegExp re;
    re.Global(true);
    re.IgnoreCase(true);
    re.Pattern(QStringLiteral("<B>([^<]*\u00c9)</B>"));
    const Matches m = re.Execute(page);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].SubMatches(0), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(m[1].SubMatches(0), QStringLiteral("Th\u00e9"));

    QString broken = QStringLiteral("a?b");
    broken[1] = QChar(0xD800);
    re.Pattern(QStringLiteral("a.b"));
    EXPECT_TRUE(re.Test(broken));
    EXPECT_EQ(re.Replace(broken, QStringLiteral("-")), QStringLiteral("-"));
}

} // namespace

namespace {

TEST(RegExpReuse, ExecuteAfterTestSeesChangesMadeToTheText)
{
    RegExp re;
    re.Global(true);
    re.Pattern(QStringLiteral("v(\\d)"));
    QString page = QStringLiteral("v1 v2");
    ASSERT_TRUE(re.Test(page));
    page[1] = u'7'; // in place: the first match Test found is no longer there
    const Matches m = re.Execute(page);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].SubMatches(0), QStringLiteral("7"));

    page = QStringLiteral("none");
    EXPECT_FALSE(re.Test(page));
    page.replace(0, 4, QStringLiteral("v5xx"));
    EXPECT_EQ(re.Execute(page).size(), 1u);
}

TEST(RegExpReuse, ExecuteAfterTestWithAnotherPatternDoesNotReuse)
{
    RegExp re;
    const QString page = QStringLiteral("ab");
    re.Pattern(QStringLiteral("a"));
    ASSERT_TRUE(re.Test(page));
    re.Pattern(QStringLiteral("b"));
    EXPECT_EQ(re.Execute(page).at(0).FirstIndex, 1);
    re.IgnoreCase(true);
    re.Pattern(QStringLiteral("a")); // back to a program kept aside, options differ
    EXPECT_EQ(re.Replace(page, QStringLiteral("-")), QStringLiteral("-b"));
}

} // namespace
