// One matching pass: the matches of the pattern shown with their kept groups, how far a
// pattern that matches nothing gets, and the wizard's own candidates, fields and picture
// address cut out with the script as edited.
#include "AtelierPages.h"
#include "PatternRun.h"

#include "text/PageText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace trouvel::atelier {
namespace {

using test::filmBody;
using test::searchBody;
using test::storedPage;

QByteArray demoScript()
{
    QFile file(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

PatternJob jobFor(const QString& pattern, std::vector<int> kept, bool onFilmPage)
{
    PatternJob job;
    job.script = demoScript();
    job.searchPage = text::decodePage(storedPage(searchBody()), {});
    job.filmPage = text::decodePage(storedPage(filmBody()), {});
    job.filmAddress = QStringLiteral("http://127.0.0.1:8737/film/101");
    job.pattern = pattern;
    job.kept = std::move(kept);
    job.onFilmPage = onFilmPage;
    return job;
}

class PassTest : public ::testing::Test {
protected:
    PatternOutcome run(const PatternJob& job, const wizard::KeepGoing& keepGoing = [] { return true; })
    {
        return runPatterns(job, QDir(dir.path()).filePath(QStringLiteral("edited.tvs")), keepGoing);
    }
    QTemporaryDir dir;
};

struct MarkCase {
    const char* name;
    QString pattern;
    std::vector<int> kept;
    bool onFilmPage;
    int matches;
    QString firstGroup;    // the text of the first kept group of the first match
    QString explanationStart;
};
void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.name; }

class MarkRows : public PassTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(MarkRows, MarksEveryMatchAndItsKeptGroups)
{
    const MarkCase& c = GetParam();
    const PatternJob job = jobFor(c.pattern, c.kept, c.onFilmPage);
    const PatternOutcome out = run(job);
    const QString& page = c.onFilmPage ? job.filmPage : job.searchPage;
    EXPECT_FALSE(out.stopped);
    EXPECT_EQ(out.matches, c.matches);
    ASSERT_EQ(out.shown.size(), std::size_t(c.matches));
    if (c.matches > 0) {
        ASSERT_FALSE(out.shown[0].groups.empty());
        const wizard::GroupSpan& g = out.shown[0].groups[0];
        EXPECT_EQ(page.mid(g.from, g.length), c.firstGroup);
        for (const Highlight& h : out.shown)
            EXPECT_EQ(h.groups.size(), c.kept.size());
    }
    EXPECT_TRUE(out.explanationText.startsWith(c.explanationStart)) << out.explanationText.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MarkRows,
    ::testing::Values(
        MarkCase{"search_pattern_with_its_three_groups",
                 QStringLiteral("<a class=\"lien-film\" href=\"/film/(\\d+)\"[^>]*>([\\s\\S]*?)</a>[\\s\\S]*?<td class='infos'>([\\s\\S]*?)</td>"),
                 {1, 2, 3}, false, 2, QStringLiteral("101"), QStringLiteral("ligne 5, colonne 23 (2 correspondances, la première)")},
        MarkCase{"link_group_alone", QStringLiteral("href=\"/film/(\\d+)\"[^>]*>([^<]*)<"), {2}, false, 2,
                 QString::fromUtf8("Le Dernier Été"), QStringLiteral("ligne 5")},
        MarkCase{"field_year", QStringLiteral("<td class=annee>(\\d{4})</td>"), {1}, true, 1, QStringLiteral("1972"),
                 QStringLiteral("ligne 5, colonne 26 : ")},
        MarkCase{"field_across_a_line_end", QStringLiteral("alisation</th>\\s*<td>([^<]*)"), {1}, true, 1,
                 QStringLiteral("Gaspard Millerand-Tour"), QStringLiteral("ligne 6")},
        MarkCase{"picture", QStringLiteral("<img src=\"([^\"]+)\""), {1}, true, 1, QStringLiteral("/affiches/101.jpg"),
                 QStringLiteral("ligne 9")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PassTest, APatternThatMatchesNothingSaysWhereItsLeadingRunStops)
{
    const PatternJob job = jobFor(QStringLiteral("<td class=annee>(\\d{5})</td>"), {1}, true);
    const PatternOutcome out = run(job);
    EXPECT_EQ(out.matches, 0);
    EXPECT_TRUE(out.shown.empty());
    EXPECT_GT(out.explanation.itemsMatched, 0);
    // The run that matches ends inside the year, where a fifth digit is wanted.
    EXPECT_EQ(job.filmPage.mid(out.explanation.partialFrom, out.explanation.partialLength).left(16), QStringLiteral("<td class=annee>"));
    EXPECT_TRUE(out.explanationText.startsWith(QStringLiteral("aucune correspondance dans la page ; le début"))) << out.explanationText.toStdString();
}

TEST_F(PassTest, AnInvalidPatternGivesItsErrorAndWhere)
{
    const PatternOutcome out = run(jobFor(QStringLiteral("<td>([^<]*</td>"), {1}, true));
    EXPECT_EQ(out.matches, 0);
    EXPECT_FALSE(out.explanation.error.isEmpty());
    EXPECT_TRUE(out.explanationText.startsWith(QStringLiteral("motif en erreur"))) << out.explanationText.toStdString();
}

TEST_F(PassTest, WithoutThePagesPageNothingIsMatched)
{
    PatternJob job = jobFor(QStringLiteral("(x)"), {1}, true);
    job.filmPage.clear();
    const PatternOutcome out = run(job);
    EXPECT_TRUE(out.noPage);
    EXPECT_TRUE(out.fields.empty());
    EXPECT_EQ(out.candidates.size(), 2u); // the search page is still read
}

TEST_F(PassTest, BeyondTheMarkedMatchesTheRestAreCounted)
{
    PatternJob job = jobFor(QStringLiteral("[\\s\\S]"), {}, false);
    job.searchPage = QString(kMaxHighlights + 500, u'a');
    const PatternOutcome out = run(job);
    EXPECT_EQ(out.matches, kMaxHighlights + 500);
    EXPECT_EQ(out.shown.size(), std::size_t(kMaxHighlights));
}

TEST_F(PassTest, CandidatesFieldsAndPictureComeFromTheScriptAsEdited)
{
    PatternJob job = jobFor(QStringLiteral("(x)"), {1}, true);
    job.script.replace("Match2=Ann\xc3\xa9""e|<td class=annee>(\\d{4})</td>", "Match2=Ann\xc3\xa9""e|<td class=annee>(\\d{2})");
    const PatternOutcome out = run(job);
    ASSERT_EQ(out.candidates.size(), 2u);
    EXPECT_EQ(out.candidates[1].link, QStringLiteral("102"));
    EXPECT_EQ(out.candidates[1].desc2, QString::fromUtf8("2004 - Comédie"));
    ASSERT_EQ(out.fields.size(), 12u);
    EXPECT_EQ(out.fields[0].name, QStringLiteral("Titre"));
    EXPECT_EQ(out.fields[0].value, QString::fromUtf8("Le Dernier Été"));
    EXPECT_EQ(out.fields[1].value, QStringLiteral("19"));
    EXPECT_FALSE(out.fields[3].ticked); // no cast on this page
    EXPECT_EQ(out.picture.address, QStringLiteral("http://127.0.0.1:8737/affiches/101.jpg"));
}

// A pattern that tries thousands of characters from every position (seconds over this page)
// asks its keep-going check every 50 ms: told to stop the first time, it ends there.
TEST_F(PassTest, ASlowMatchToldToStopEndsAtTheFirstAsking)
{
    PatternJob job = jobFor(QStringLiteral("[a]{1,5000}[#!]"), {}, false);
    job.searchPage = QString(100000, u'a');
    int asked = 0;
    const PatternOutcome out = run(job, [&] {
        ++asked;
        return false;
    });
    EXPECT_TRUE(out.stopped);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(out.matches, 0);
}

} // namespace
} // namespace trouvel::atelier
