// The search and detail steps against the loopback site.
#include "support/WizardFixture.h"

#include <QFile>
#include <QFileInfo>

namespace trouvel::wizard::test {
namespace {

class Steps : public WizardTest {
protected:
    void start(int entries = 5)
    {
        makeHost(entries);
        writeMapping(QStringLiteral("Demo"), QStringLiteral("Col1=1"));
        ASSERT_TRUE(engine().load());
    }
    const WizardModel& m() { return engine().model(); }
    QString replaceInScript(const QString& from, const QString& to)
    {
        QFile file(state.ScriptPath);
        file.open(QIODevice::ReadOnly);
        QString text = QString::fromUtf8(file.readAll()).replace(from, to);
        file.close();
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text.toUtf8());
        return text;
    }
};

TEST_F(Steps, SingleCandidateGoesStraightToTheDetails)
{
    writeDemoScript();
    start();
    engine().search();
    ASSERT_EQ(m().candidates().size(), 1u);
    EXPECT_EQ(m().candidates()[0].link, QStringLiteral("1"));
    EXPECT_EQ(m().candidates()[0].desc1, QStringLiteral("Film 1")); // <b> removed
    EXPECT_EQ(ui.beeps, 0);
    EXPECT_EQ(m().fieldRow(0).value, QStringLiteral("Titre 1"));
    EXPECT_EQ(m().fieldRow(1).value, QStringLiteral("1901"));
    EXPECT_EQ(m().fieldRow(2).value, QStringLiteral("Un résumé sur deux lignes"));
    EXPECT_EQ(m().detailAddress(), site.base() + QStringLiteral("/film/1"));
    EXPECT_EQ(m().status(), QStringLiteral("Terminé"));
    EXPECT_TRUE(m().pictureTicked());
    EXPECT_FALSE(m().picture().isNull());
    EXPECT_FALSE(m().stopOffered());
    EXPECT_TRUE(m().candidatesShown() && m().detailShown());
    EXPECT_EQ(m().defaultButton(), DefaultButton::Save);
}

TEST_F(Steps, NoMatchAndTwoMatchesBeepTwice)
{
    writeDemoScript();
    start();
    absent << QStringLiteral("Film 1");
    ambiguous << QStringLiteral("Film 2");
    engine().model().setDetailShown(true);
    engine().search();
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_TRUE(m().candidates().empty());
    EXPECT_TRUE(m().candidatesShown());
    EXPECT_FALSE(m().detailShown());
    EXPECT_EQ(m().status(), QStringLiteral("Analyse terminee"));
    EXPECT_EQ(m().defaultButton(), DefaultButton::FetchDetails);

    engine().model().setTitle(QStringLiteral("Film 2"));
    engine().search();
    EXPECT_EQ(ui.beeps, 4);
    EXPECT_EQ(m().candidates().size(), 2u);
    EXPECT_EQ(site.requestLines.size(), 2); // no detail fetch
}

struct CharsetCase {
    const char* name;
    const char* scriptCharset; // the script's Charset, or ""
    const char* pageCharset;   // what the site's pages declare
    QList<QByteArray> requests; // the search's request lines
    QString resentIn;
    size_t candidates;
};

void PrintTo(const CharsetCase& c, std::ostream* os) { *os << c.name; }

class FormCharset : public Steps, public ::testing::WithParamInterface<CharsetCase> {};

// A site that reads its form in Latin-1 finds "Été" only when sent as %C9t%E9.
TEST_P(FormCharset, TitleSentInTheCharsetTheSiteReads)
{
    const CharsetCase& c = GetParam();
    const QByteArray meta = QByteArray("<meta charset=\"") + c.pageCharset + "\">";
    site.pageFunction("/latin?q=", [meta](const QByteArray& path) {
        return meta + (path.endsWith("=%C9t%E9") ? QByteArray("<a href=\"/film/1\">Film 1</a>") : QByteArray("<p>Aucun film</p>"));
    });
    state.ScriptPath = writeDemoScript();
    replaceInScript(QStringLiteral("/search?q=%1"), QStringLiteral("/latin?q=%1"));
    replaceInScript(QStringLiteral("HTTP=0\n"), QStringLiteral("HTTP=0\nCharset=%1\n").arg(QLatin1String(c.scriptCharset)));
    start();
    engine().model().setTitle(QStringLiteral("Été"));
    engine().search();
    QList<QByteArray> searches;
    for (const QByteArray& line : site.requestLines)
        if (line.startsWith("GET /latin"))
            searches << line;
    EXPECT_EQ(searches, c.requests);
    ASSERT_TRUE(engine().steps().search);
    EXPECT_EQ(engine().steps().search->resentIn, c.resentIn);
    EXPECT_EQ(m().candidates().size(), c.candidates);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormCharset,
    ::testing::Values(
        CharsetCase{"ScriptNamesIt", "iso-8859-1", "iso-8859-1", {"GET /latin?q=%C9t%E9 HTTP/1.0"}, {}, 1},
        CharsetCase{"ResentInThePageCharset", "", "iso-8859-1",
                    {"GET /latin?q=%C3%89t%C3%A9 HTTP/1.0", "GET /latin?q=%C9t%E9 HTTP/1.0"}, QStringLiteral("iso-8859-1"), 1},
        CharsetCase{"Utf8PageNotResent", "", "utf-8", {"GET /latin?q=%C3%89t%C3%A9 HTTP/1.0"}, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// What the steps came to, as an unattended walk reports it for each entry.
TEST_F(Steps, OutcomeOfEachEntryAsTheStepsDecideIt)
{
    writeDemoScript();
    start();
    EXPECT_EQ(engine().outcome().reason, QStringLiteral("aucune recherche"));
    engine().search();
    EXPECT_EQ(engine().outcome().kind, EntryOutcome::Kind::Filled);
    EXPECT_EQ(engine().outcome().reason, QString());

    absent << QStringLiteral("Film 2");
    ambiguous << QStringLiteral("Film 3");
    engine().next();
    EXPECT_EQ(engine().outcome().kind, EntryOutcome::Kind::Failed); // moved on: nothing searched yet
    engine().search();
    EXPECT_EQ(engine().outcome().kind, EntryOutcome::Kind::NotFound);
    engine().next();
    engine().search();
    EXPECT_EQ(engine().outcome().kind, EntryOutcome::Kind::Ambiguous);
    EXPECT_EQ(engine().outcome().candidates, 2);

    site.page("/search?q=Film+4", "gone", 404);
    engine().next();
    engine().search();
    const EntryOutcome failed = engine().outcome();
    EXPECT_EQ(failed.kind, EntryOutcome::Kind::Failed);
    EXPECT_EQ(failed.stage, kStageSearch);
    EXPECT_EQ(failed.reason, QStringLiteral("recherche : HTTP 404 Not Found"));
}

struct TitleCase {
    const char* name;
    const char* title;
    const char* requestLine;
};

class TitleInAddress : public Steps, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(TitleInAddress, IsSentAsTyped)
{
    writeDemoScript();
    start();
    engine().model().setTitle(QString::fromUtf8(GetParam().title));
    engine().search();
    ASSERT_FALSE(site.requestLines.isEmpty());
    EXPECT_EQ(site.requestLines.first(), QByteArray(GetParam().requestLine));
}

INSTANTIATE_TEST_SUITE_P(Values, TitleInAddress,
                         ::testing::Values(TitleCase{"OneBlank", " ", "GET /search?q=+ HTTP/1.0"},
                                           TitleCase{"HashStaysInTheTitle", "A#B", "GET /search?q=A%23B HTTP/1.0"},
                                           TitleCase{"AmpersandStaysInTheTitle", "Tom & Lola", "GET /search?q=Tom+%26+Lola HTTP/1.0"},
                                           TitleCase{"NoParameterAdded", "A&b=c", "GET /search?q=A%26b%3Dc HTTP/1.0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Steps, RefusedStartsChangeNothing)
{
    start(); // no script at all
    engine().search();
    EXPECT_EQ(ui.messages.last(), QStringLiteral("Le fichier de script n'existe pas !"));
    writeDemoScript();
    engine_.reset();
    ASSERT_TRUE(engine().load());
    engine().model().setTitle(QString());
    engine().search();
    EXPECT_EQ(ui.messages.last(), QStringLiteral("Rien à chercher"));
    engine().fetchDetails(); // empty list
    EXPECT_EQ(ui.messages.last(), QStringLiteral("Rien à chercher"));
    for (const char16_t breaking : {u'\n', u'\r', u'\0'}) {
        engine().model().setTitle(QStringLiteral("Tom") + QChar(breaking) + QStringLiteral("Lola"));
        engine().search();
        EXPECT_TRUE(ui.messages.last().startsWith(QStringLiteral("Le titre contient un saut de ligne"))) << ui.messages.last().toStdString();
    }
    // A script that did not load is not searched with.
    writeScript(QStringLiteral("Demo"), QStringLiteral("[FilmPage]\nCount=500\n"));
    engine().selectScript(0);
    EXPECT_FALSE(engine().model().canSearch());
    engine().model().setTitle(QStringLiteral("Film 1"));
    engine().search();
    EXPECT_TRUE(ui.messages.last().contains(QStringLiteral("dépasse 110"))) << ui.messages.last().toStdString();
    EXPECT_TRUE(site.requestLines.isEmpty());
}

TEST_F(Steps, MissingSearchUrlGivesCode3AndKeepsStopVisible)
{
    writeScript(QStringLiteral("Demo"), QStringLiteral("[SearchPage]\nPattern=x\n"));
    start();
    engine().search();
    EXPECT_EQ(m().status(), QStringLiteral("Erreur n°3"));
    EXPECT_TRUE(m().stopOffered());
    EXPECT_FALSE(m().candidatesShown());
}

TEST_F(Steps, FetchThatFailsOutrightShowsWhy)
{
    writeDemoScript();
    workFolder = root.filePath(QStringLiteral("missing")); // tmp.txt cannot be created
    start();
    engine().search();
    EXPECT_TRUE(m().status().startsWith(QStringLiteral("Erreur :Impossible d'écrire le fichier "))) << m().status().toStdString();
    EXPECT_TRUE(m().stopOffered());
    EXPECT_FALSE(engine().isBusy());
}

TEST_F(Steps, GroupNumbersLessOneRoundedHalfToEven)
{
    writeDemoScript();
    start();
    replaceInScript(QStringLiteral("Link=1"), QStringLiteral("Link=0"));
    replaceInScript(QStringLiteral("ShortText=2"), QStringLiteral("ShortText=2.5\nLongText=3")); // 1.5 -> 2: no such group
    ambiguous << QStringLiteral("Film 1");
    engine().search();
    ASSERT_EQ(m().candidates().size(), 2u);
    EXPECT_EQ(m().candidates()[0].link, QString());
    EXPECT_EQ(m().candidates()[0].desc1, QString());
    replaceInScript(QStringLiteral("ShortText=2.5"), QStringLiteral("ShortText=1.5")); // 0.5 -> 0: group 1
    engine().search();
    EXPECT_EQ(m().candidates()[0].desc1, QStringLiteral("1"));
}

TEST_F(Steps, InvalidSearchPatternListsNothingAndSaysWhy)
{
    writeDemoScript();
    start();
    replaceInScript(QStringLiteral("Pattern=<a"), QStringLiteral("Pattern=(<a"));
    engine().search();
    EXPECT_TRUE(m().candidates().empty());
    EXPECT_FALSE(m().candidatesError().isEmpty());
    EXPECT_EQ(ui.beeps, 2);
}

TEST_F(Steps, FieldPatternsFirstMatchCaseAndLines)
{
    writeScript(QStringLiteral("Demo"), QString::fromUtf8(R"tvs([SearchPage]
Url=%SITE%/search?q=%1
Pattern=/film/(\d+)
Link=1
[FilmPage]
Url=%SITE%/film/%1
Count=6
Match1=Ligne|^<P>ANN(.*)$
Match2=Premier|(\d)
Match3=Rien|introuvable(x)
Match4=SansBarre
Match5=Invalide|(ab
Match6=SansGroupe|html
)tvs"));
    start();
    engine().search();
    EXPECT_EQ(m().fieldRow(0).value, QStringLiteral("ée : 1901"));
    EXPECT_EQ(m().fieldRow(1).value, QStringLiteral("1"));
    for (int row : {2, 3, 4}) {
        EXPECT_TRUE(m().fieldRow(row).value.isEmpty()) << row;
        EXPECT_FALSE(m().fieldRow(row).ticked) << row;
    }
    EXPECT_FALSE(m().fieldRow(3).toolTip.isEmpty());
    EXPECT_TRUE(m().fieldRow(4).toolTip.contains(QStringLiteral("position"))) << m().fieldRow(4).toolTip.toStdString();
    const FieldResult& noGroup = engine().steps().detail->fields.at(5);
    EXPECT_TRUE(noGroup.ticked && noGroup.value.isEmpty());
    // Step 3 shows where each field goes: only field 1 has a column.
    EXPECT_EQ(m().fieldRow(0).column, QStringLiteral("Col 1"));
    EXPECT_TRUE(m().fieldRow(5).targetKnown && m().fieldRow(5).column.isEmpty());
    EXPECT_FALSE(m().fieldRow(5).ticked) << "a field no column receives";
    // No picture keys: nothing fetched, the status stays at the picture text.
    EXPECT_EQ(m().status(), QStringLiteral("Telechargement de l'image en cours..."));
    EXPECT_FALSE(m().pictureTicked());
}

TEST_F(Steps, FieldPatternThatGivesUpCountsAsNoMatchAndSaysWhy)
{
    writeDemoScript();
    start();
    // Exponential backtracking over the x's: the expression service gives up.
    replaceInScript(QStringLiteral("Année : (\\d+)"), QStringLiteral("(x+x+)+y"));
    site.page("/film/1", "<h1>Titre</h1>" + QByteArray(4000, 'x') + "!y");
    engine().search();
    EXPECT_EQ(m().fieldRow(0).value, QStringLiteral("Titre")); // the other fields still run
    EXPECT_TRUE(m().fieldRow(1).value.isEmpty());
    EXPECT_FALSE(m().fieldRow(1).ticked);
    EXPECT_FALSE(m().fieldRow(1).toolTip.isEmpty());
}

TEST_F(Steps, UnmatchedFieldIsEmptiedEvenWhenItHeldText)
{
    writeDemoScript();
    start();
    replaceInScript(QStringLiteral("Année : (\\d+)"), QStringLiteral("Nulle part (\\d+)"));
    engine().model().setFieldValue(1, QStringLiteral("ancien"));
    engine().search();
    EXPECT_TRUE(m().fieldRow(1).value.isEmpty());
    EXPECT_FALSE(m().fieldRow(1).ticked);
}

TEST_F(Steps, LastPictureMatchWins)
{
    writeDemoScript();
    start();
    site.page("/film/1", "<h1>x</h1><img src=\"/img/a.png\"><img src=\"/img/b.png\">");
    engine().search();
    EXPECT_EQ(site.requestLines.last(), QByteArray("GET /img/b.png HTTP/1.1"));
    EXPECT_EQ(m().status(), QStringLiteral("Terminé"));
}

struct NotAPictureCase {
    const char* name;
    QByteArray body;
    const char* reason;
};

class NotAPicture : public Steps, public ::testing::WithParamInterface<NotAPictureCase> {};

TEST_P(NotAPicture, IsRefusedWithItsReason)
{
    writeDemoScript();
    start();
    site.page("/img/1.png", GetParam().body);
    engine().model().setAutoSave(false);
    engine().search();
    const QString reason = QString::fromUtf8(GetParam().reason);
    EXPECT_EQ(m().status(), reason.left(1).toUpper() + reason.mid(1)) << "the status says the decoding failed, not the download";
    EXPECT_EQ(m().pictureError(), reason);
    EXPECT_FALSE(QFileInfo::exists(engine().pictureFile()));
    EXPECT_FALSE(m().pictureTicked());
    EXPECT_EQ(m().defaultButton(), DefaultButton::Save);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, NotAPicture,
    ::testing::Values(NotAPictureCase{"Page", "<html>not a picture</html>", "image reçue mais illisible : une page HTML est arrivée à la place de l'image"},
                      // What a chunked answer whose first chunk size overflows comes to.
                      NotAPictureCase{"Empty", "", "image reçue mais illisible : le fichier reçu est vide"}),
    [](const auto& info) { return std::string(info.param.name); });

// A film page whose connection is refused, or that never answers: a box with a warning says
// so, the step failed, nothing can be saved, and it can be tried again.
struct FailedFetchCase {
    const char* name;
    bool silent;       // the site takes the connection and never answers
    const char* box;   // part of the box's text
    const char* status; // the status line's start
};

class FailedDetailFetch : public Steps, public ::testing::WithParamInterface<FailedFetchCase> {};

TEST_P(FailedDetailFetch, IsAFailedStepThatCanBeTriedAgain)
{
    const FailedFetchCase& c = GetParam();
    timeLimitMs = 300;
    writeDemoScript();
    start();
    ambiguous << QStringLiteral("Film 1");
    engine().search();
    ASSERT_EQ(m().candidates().size(), 2u);
    const QString film = QStringLiteral("Url=") + site.base() + QStringLiteral("/film/%1");
    const QString failing = c.silent ? QStringLiteral("Url=") + site.base() + QStringLiteral("/silence/%1")
                                     : QStringLiteral("Url=http://127.0.0.1:1/film/%1");
    site.hold("/silence/1", [] {});
    replaceInScript(film, failing);
    engine().fetchDetails();
    EXPECT_EQ(engine().steps().detail->end, StepEnd::FetchFailed);
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.last().contains(QString::fromUtf8(c.box))) << ui.messages.last().toStdString();
    EXPECT_EQ(ui.icons.back(), MsgIcon::Warning);
    EXPECT_TRUE(m().status().startsWith(QString::fromUtf8(c.status))) << m().status().toStdString();
    EXPECT_FALSE(m().canSave());
    EXPECT_TRUE(m().fieldRow(0).value.isEmpty());
    replaceInScript(failing, film);
    engine().fetchDetails();
    EXPECT_TRUE(m().canSave());
    EXPECT_EQ(m().fieldRow(0).value, QStringLiteral("Titre 1"));
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedDetailFetch,
                         ::testing::Values(FailedFetchCase{"Refused", false, "10061", "Erreur : la connexion a échoué"},
                                           FailedFetchCase{"NeverAnswers", true, "ne répond pas", "Erreur n°5"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Steps, AnotherCandidateHighlightedAfterAFetchEmptiesStepThree)
{
    writeDemoScript();
    start();
    ambiguous << QStringLiteral("Film 1");
    engine().search();
    engine().model().setSelectedCandidate(1);
    engine().fetchDetails();
    ASSERT_TRUE(m().canSave());
    engine().model().setSelectedCandidate(0);
    EXPECT_FALSE(m().canSave());
    EXPECT_TRUE(m().fieldRow(0).value.isEmpty());
    EXPECT_EQ(m().defaultButton(), DefaultButton::FetchDetails);
}

TEST_F(Steps, PictureThatCannotBeDownloadedLeavesTheFieldsToSave)
{
    writeDemoScript();
    start();
    site.page("/img/1.png", "gone", 404);
    engine().search();
    EXPECT_EQ(m().status(), QStringLiteral("Erreur lors du téléchargement de l'image (HTTP 404 Not Found)"));
    EXPECT_FALSE(m().pictureError().isEmpty());
    EXPECT_FALSE(m().pictureTicked());
    EXPECT_FALSE(m().stopOffered());
    EXPECT_EQ(m().fieldRow(0).value, QStringLiteral("Titre 1"));
    EXPECT_TRUE(m().canSave());
    EXPECT_FALSE(QFileInfo::exists(engine().pictureFile())) << "the error page is not kept as the picture";
}

TEST_F(Steps, InvalidPicturePatternGivesNoAddress)
{
    writeDemoScript();
    start();
    replaceInScript(QStringLiteral("PatternImg=img"), QStringLiteral("PatternImg=[img"));
    engine().search();
    EXPECT_FALSE(m().pictureTicked());
    EXPECT_FALSE(m().pictureError().isEmpty());
    EXPECT_EQ(site.requestLines.size(), 2);
}

TEST_F(Steps, EmptyDetailAddressGivesCode3WithRowsEmptyAndTicked)
{
    writeDemoScript();
    start();
    replaceInScript(QStringLiteral("Url=") + site.base() + QStringLiteral("/film/%1"), QStringLiteral("Url="));
    engine().model().setFieldTicked(0, false);
    engine().search();
    EXPECT_EQ(m().status(), QStringLiteral("Erreur n°3"));
    EXPECT_TRUE(m().fieldRow(0).ticked && m().fieldRow(0).value.isEmpty());
}

} // namespace
} // namespace trouvel::wizard::test
