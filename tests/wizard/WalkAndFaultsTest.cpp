// The unattended walk ("Sauvegarde Auto") and what may happen while a step waits for the network.
#include "support/WizardFixture.h"

#include <QSet>

#include <functional>

namespace trouvel::wizard::test {
namespace {

class Walk : public WizardTest {
protected:
    void start(int entries)
    {
        writeDemoScript();
        makeHost(entries);
        if (beforeLoad)
            beforeLoad();
        writeMapping(QStringLiteral("Demo"), QStringLiteral("Col2=1\nCol3=2"));
        ASSERT_TRUE(engine().load());
        engine().model().setAutoSave(true);
    }
    bool saved(int i) { return host->entry(i).columns[1] == "Titre " + std::to_string(i); }
    std::function<void()> beforeLoad; // the host made, the script not loaded yet
};

TEST_F(Walk, StopsAtTheFirstSearchWithoutExactlyOneCandidate)
{
    start(20);
    ambiguous << QStringLiteral("Film 12");
    engine().search();
    for (int i = 1; i <= 11; ++i) {
        EXPECT_TRUE(saved(i)) << i;
        EXPECT_EQ(host->entry(i).tag, "Film " + std::to_string(i) + ".jpg") << i;
    }
    for (int i = 12; i <= 20; ++i)
        EXPECT_FALSE(saved(i)) << i;
    EXPECT_EQ(state.CurrentItem, 12);
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_EQ(engine().model().candidates().size(), 2u);
    EXPECT_FALSE(engine().isClosed());
    EXPECT_EQ(host->mustSaveCount, 11); // one per save; the mapping exists, so none at load
}

TEST_F(Walk, RunsToTheEndAndStaysOnTheLastEntry)
{
    start(20);
    engine().search();
    for (int i = 1; i <= 20; ++i)
        EXPECT_TRUE(saved(i)) << i;
    EXPECT_FALSE(engine().isClosed());
    EXPECT_EQ(state.CurrentItem, 20);
    EXPECT_EQ(closeRequests, 0);
    EXPECT_EQ(ui.beeps, 0);
    // Search, detail and picture once per entry (the URL service may retry a picture request).
    const QSet<QByteArray> distinct(site.requestLines.begin(), site.requestLines.end());
    EXPECT_EQ(distinct.size(), 60);
    EXPECT_TRUE(distinct.contains("GET /search?q=Film+20 HTTP/1.0"));
}

TEST_F(Walk, GoesOnPastAPictureThatCannotBeDownloaded)
{
    start(6);
    site.page("/img/5.png", "gone", 404);
    engine().search();
    for (int entry = 1; entry <= 6; ++entry)
        EXPECT_TRUE(saved(entry)) << entry;
    EXPECT_TRUE(host->entry(5).tag.empty());
    EXPECT_FALSE(host->entry(4).tag.empty());
}

// The walk says why it stops on an entry, and once at the end of the list what it came to.
TEST_F(Walk, SaysWhyItStopsAndSumsUpAtTheEnd)
{
    start(5);
    ambiguous << QStringLiteral("Film 3");
    engine().search();
    EXPECT_EQ(state.CurrentItem, 3);
    EXPECT_EQ(engine().model().status(), QStringLiteral("2 candidats : choisissez"));
    EXPECT_TRUE(walkSummaries.empty());
    engine().next(); // the user skips it and lets the walk go on
    absent << QStringLiteral("Film 4");
    engine().search();
    EXPECT_EQ(engine().model().status(), QString::fromUtf8("aucun résultat pour « Film 4 »"));
    engine().next();
    engine().search();
    ASSERT_EQ(walkSummaries.size(), 1u);
    const WalkSummary& walk = walkSummaries.front();
    EXPECT_EQ(walk.countsText(), QString::fromUtf8("5 entrée(s) : 3 remplie(s), 1 ambiguë(s), 1 introuvable(s)"));
    EXPECT_EQ(walk.entries().at(2).why(), QStringLiteral("2 candidats : choisissez"));
    EXPECT_EQ(engine().model().walkCount(), 0) << "no walk runs any more";
    EXPECT_EQ(engine().model().status(), QString::fromUtf8("Dernière entrée enregistrée"));
}

// A site that asks for patience: the walk waits as asked and goes on, or stops saying why not.
struct RetryCase {
    const char* name;
    const char* retryAfter;
    bool byHand;       // Sauvegarde Auto off
    bool pauseEnds;    // false: Stop during the wait
    std::vector<std::int64_t> pauses;
    bool walkedPast;   // entry 3 and those after it were filled
    const char* status; // part of the final status line
};

class WalkRetry : public Walk, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(WalkRetry, WaitsAsAskedWithinTheBound)
{
    const RetryCase& c = GetParam();
    start(4);
    pausesComplete = c.pauseEnds;
    engine().model().setAutoSave(!c.byHand);
    site.answerOnce("/search?q=Film+3", QByteArray("HTTP/1.0 503 Service Unavailable\r\nRetry-After: ") + c.retryAfter
                                            + "\r\nConnection: close\r\n\r\nbusy");
    if (c.byHand)
        engine().model().setTitle(QStringLiteral("Film 3"));
    engine().search();
    EXPECT_EQ(pauses, c.pauses);
    for (int i = 3; i <= 4; ++i)
        EXPECT_EQ(saved(i), c.walkedPast) << i;
    if (!c.walkedPast) {
        EXPECT_TRUE(engine().model().status().contains(QString::fromUtf8(c.status))) << engine().model().status().toStdString();
        EXPECT_EQ(ui.beeps, 2); // the walk stopped on a search without one candidate
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WalkRetry,
    ::testing::Values(RetryCase{"AskedToWait", "2", false, true, {2000}, true, ""},
                      RetryCase{"BeyondTheBound", "600", false, true, {}, false, "au-delà des 300 s permis"},
                      RetryCase{"StoppedWhileWaiting", "2", false, false, {2000}, false, "HTTP 503"},
                      RetryCase{"ByHandNotTriedAgain", "2", true, true, {}, false, "HTTP 503"}),
    [](const auto& info) { return std::string(info.param.name); });

// The walk fills an entry from its one candidate only when it is the entry's film.
struct OtherFilmCase {
    const char* name;
    QByteArray candidate; // the search's one result for "Film 2" ("" for the usual one)
    const char* entryYear; // entry 2's "Année" column
    bool titleCheck;
    const char* status;    // the walk stops on entry 2 with this status; "" when it walks past
};

class WalkOtherFilm : public Walk, public ::testing::WithParamInterface<OtherFilmCase> {};

TEST_P(WalkOtherFilm, StopsOnAnotherTitleOrYear)
{
    const OtherFilmCase& c = GetParam();
    beforeLoad = [&] {
        host->headers[3] = "Année";
        host->entry(2).columns[2] = c.entryYear;
    };
    start(3);
    engine().setTitleCheck(c.titleCheck);
    if (!c.candidate.isEmpty())
        site.page("/search?q=Film+2", "<ul><li><a href=\"/film/2\">" + c.candidate + "</a></li></ul>");
    engine().search();
    const bool walkedPast = *c.status == 0;
    EXPECT_EQ(saved(2), walkedPast);
    EXPECT_EQ(saved(3), walkedPast);
    if (!walkedPast) {
        EXPECT_EQ(state.CurrentItem, 2);
        EXPECT_EQ(engine().model().status(), QString::fromUtf8(c.status));
        EXPECT_EQ(host->entry(2).columns[2], c.entryYear) << "the entry's year stays";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WalkOtherFilm,
    ::testing::Values(OtherFilmCase{"SameTitleWithYear", "Film 2 (1902)", "", true, ""},
                      OtherFilmCase{"LongerTitle", "Film 2 : le retour", "", true, "Titre différent : « Film 2 : le retour » : rien n'a été enregistré"},
                      OtherFilmCase{"TitleCheckOff", "Film 2 : le retour", "", false, ""},
                      OtherFilmCase{"YearWithinOne", "", "1903", true, ""},
                      OtherFilmCase{"YearDiffers", "", "1950", true,
                                    "Année différente : la fiche indique 1950, le site 1902 : rien n'a été enregistré"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Walk, ReadsTheFilmPageASearchRedirectedToOnce)
{
    start(3);
    site.redirect("/search?q=Film+2", "/film/2", 302);
    site.page("/film/2", "<html><head><title>Film 2 - CinéSite</title></head><h1>Titre 2</h1><p>Année : 1902</p>"
                         "<img src=\"/img/2.png\"></html>");
    site.redirect("/search?q=Film+3", "/film/3", 302);
    site.page("/film/3", "<html><h1>Titre 3</h1></html>"); // no title of its own to check
    engine().search();
    EXPECT_TRUE(saved(2));
    EXPECT_EQ(host->entry(2).tag, "Film 2.jpg");
    EXPECT_EQ(site.requestLines.count("GET /film/2 HTTP/1.0"), 1) << "the search's page is the film page";
    EXPECT_FALSE(saved(3));
    EXPECT_EQ(engine().model().status(), QStringLiteral("Titre différent : le site n'en indique aucun : rien n'a été enregistré"));
    ASSERT_EQ(engine().model().candidates().size(), 1u);
    EXPECT_EQ(engine().model().candidates().front().link, QStringLiteral("3"));
}

using WhileWaiting = Walk;

TEST_F(WhileWaiting, QuitEndsTheWaitingStepAndNothingMoreIsTouched)
{
    start(3);
    site.hold("/search?q=Film+1", [this] { engine().quit(); });
    engine().search();
    EXPECT_TRUE(engine().isClosed());
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(engine().model().status(), QStringLiteral("Telechargement des donnees en cours..."));
    EXPECT_FALSE(engine().model().candidatesShown());
    EXPECT_EQ(site.requestLines.size(), 1);
    EXPECT_EQ(state.CurrentItem, 1);
}

struct MoveCase {
    const char* name;
    const char* heldPath;
};

class MoveWhileWaiting : public Walk, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveWhileWaiting, StopsTheStepAndWritesNoEntry)
{
    start(3);
    site.hold(GetParam().heldPath, [this] { engine().next(); });
    engine().search();
    EXPECT_EQ(state.CurrentItem, 2);
    EXPECT_FALSE(saved(1));
    EXPECT_FALSE(saved(2));
    EXPECT_EQ(host->entry(2).columns[1], "");
    EXPECT_EQ(host->entry(1).tag, "");
    EXPECT_EQ(host->entry(2).tag, "");
    EXPECT_TRUE(engine().model().status().startsWith(QStringLiteral("Erreur"))) << engine().model().status().toStdString();
    EXPECT_EQ(engine().model().title(), QStringLiteral("Film 2"));
    EXPECT_FALSE(engine().isClosed());
    EXPECT_FALSE(engine().isBusy());
}

INSTANTIATE_TEST_SUITE_P(Values, MoveWhileWaiting,
                         ::testing::Values(MoveCase{"DuringSearch", "/search?q=Film+1"},
                                           MoveCase{"DuringDetail", "/film/1"},
                                           MoveCase{"DuringPicture", "/img/1.png"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WhileWaiting, SecondStepsAreIgnoredAndStopStaysLive)
{
    writeDemoScript(QStringLiteral("Other"));
    start(3);
    const QString script = state.ScriptPath;
    const int index = engine().model().scriptIndex();
    const int dialogs = mappingDialogs;
    engine().model().setAutoSave(false);
    site.hold("/search?q=Film+1", [this] {
        engine().search();
        engine().fetchDetails();
        engine().save();
        engine().openMapping();
        engine().selectScript(engine().model().scriptIndex() == 0 ? 1 : 0);
        engine().stop();
    });
    engine().search();
    EXPECT_EQ(site.requestLines.size(), 1);
    EXPECT_EQ(engine().model().status(), QStringLiteral("Analyse interrompue"));
    EXPECT_TRUE(engine().model().stopOffered());
    EXPECT_TRUE(engine().model().candidates().empty());
    EXPECT_FALSE(engine().model().candidatesShown());
    EXPECT_EQ(state.ScriptPath, script);
    EXPECT_EQ(engine().model().scriptIndex(), index);
    EXPECT_EQ(mappingDialogs, dialogs);
    EXPECT_EQ(host->mustSaveCount, 0);
    EXPECT_EQ(state.CurrentItem, 1);
    EXPECT_TRUE(ui.messages.isEmpty());
}

} // namespace
} // namespace trouvel::wizard::test
