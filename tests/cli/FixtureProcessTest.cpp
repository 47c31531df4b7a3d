// trouvel record, check and try --explain run as a separate process: recorded titles of the
// demo site replayed offline, a fixture whose page or script changed, and drift reported by
// --live against a loopback site that changes between two runs.
#include "ToolProcess.h"

#include "demo/DemoSiteFixture.h"
#include "support/TestSite.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

using namespace trouvel;
using trouvel::testsupport::runTrouvel;
using trouvel::testsupport::ToolRun;
using trouvel::testsupport::readFile;
using trouvel::testsupport::writeFile;

namespace {

class FixtureProcessTest : public ::testing::Test {
protected:
    ToolRun trouvel(const QStringList& args) { return runTrouvel(args, home.path()); }

    // Records the titles against the demo site into the script copy's .tests folder.
    void recordDemo()
    {
        for (const QStringList& title : {QStringList{QStringLiteral("Nord/Sud")},
                                         QStringList{QString::fromUtf8("Le Dernier Été"), QStringLiteral("--pick"), QStringLiteral("2")},
                                         QStringList{QStringLiteral("Minuit")}}) {
            const ToolRun run = trouvel(QStringList{QStringLiteral("record"), site.scriptPath()} + title);
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        }
    }

    QString fixtureDir(const QString& name) const { return QDir(site.folder()).filePath(QStringLiteral("scripts/Demo.tests/") + name); }

    testsupport::DemoSiteFixture site;
    QTemporaryDir home;
};

TEST_F(FixtureProcessTest, RecordKeepsWhatWasSentAndReceived)
{
    recordDemo();
    const QString dir = fixtureDir(QStringLiteral("nord-sud"));
    EXPECT_TRUE(readFile(dir + QStringLiteral("/page1-hop1.request")).startsWith("GET /recherche?titre=Nord/Sud HTTP/1.1\r\n"));
    // As received: the search page's chunked framing is still there.
    const QByteArray response = readFile(dir + QStringLiteral("/page1-hop1.response"));
    EXPECT_TRUE(response.startsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(response.contains("Transfer-Encoding: chunked"));
    EXPECT_FALSE(readFile(dir + QStringLiteral("/picture.jpg")).isEmpty());
    const QJsonObject outcome = QJsonDocument::fromJson(readFile(dir + QStringLiteral("/outcome.json"))).object();
    const QJsonObject detail = outcome[QStringLiteral("detail")].toObject();
    EXPECT_EQ(detail[QStringLiteral("fields")][1][QStringLiteral("value")].toString(), QStringLiteral("1988"));
    EXPECT_EQ(detail[QStringLiteral("picture")][QStringLiteral("file")].toString(), QStringLiteral("picture.jpg"));
    EXPECT_TRUE(QFile::exists(fixtureDir(QStringLiteral("le-dernier-ete--choix-2")) + QStringLiteral("/outcome.json")));
}

TEST_F(FixtureProcessTest, CheckReplaysWithoutTheSite)
{
    recordDemo();
    const qint64 served = site.site().requestCount();
    const ToolRun run = trouvel({QStringLiteral("check"), site.scriptPath()});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("nord-sud (« Nord/Sud ») : inchangé\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("3 titre(s) vérifié(s), 0 changé(s)\n")));
    EXPECT_EQ(site.site().requestCount(), served);
}

// What a script author breaks: each change must make check fail and name what moved.
TEST_F(FixtureProcessTest, CheckNamesWhatAChangeBroke)
{
    recordDemo();
    struct Case {
        const char* name;
        QList<QPair<QString, QString>> scriptEdits;
        QByteArray pageFrom, pageTo; // in the recorded film page of Nord/Sud; same length
        const char* expected;
        bool minuitUnchanged; // a title the change does not reach
    };
    const QList<Case> cases = {
        {"field pattern no longer matching", {{QStringLiteral("<td class=annee>"), QStringLiteral("<td class=an>")}}, {}, {},
         "champ « Année » : « 1988 » → «  »", true},
        {"class renamed in the page", {}, "<h1 class=\"titre-film\">", "<h1 class=\"titre-flim\">",
         "champ « Titre » : « Nord/Sud » → «  »", true},
        {"search address changed", {{QStringLiteral("recherche?titre="), QStringLiteral("recherche?t=")}}, {}, {},
         "recherche, adresse : ", false},
    };
    const QString film = fixtureDir(QStringLiteral("nord-sud")) + QStringLiteral("/page2-hop1.response");
    const QByteArray recorded = readFile(film);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString script = QDir(site.folder()).filePath(QStringLiteral("scripts/Edited.tvs"));
        site.writeScript(script, c.scriptEdits);
        QByteArray page = recorded;
        if (!c.pageFrom.isEmpty()) {
            ASSERT_TRUE(page.contains(c.pageFrom));
            page.replace(c.pageFrom, c.pageTo);
        }
        writeFile(film, page);
        const ToolRun run = trouvel({QStringLiteral("check"), script, QDir(site.folder()).filePath(QStringLiteral("scripts/Demo.tests"))});
        EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(c.expected))) << run.out.toStdString();
        EXPECT_EQ(run.out.contains(QString::fromUtf8("minuit (« Minuit ») : inchangé")), c.minuitUnchanged) << run.out.toStdString();
    }
    writeFile(film, recorded);
}

TEST_F(FixtureProcessTest, BundledDemoFixturesReplay)
{
    const ToolRun run = trouvel({QStringLiteral("check"), QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8(", 0 changé(s)\n")));
}

TEST_F(FixtureProcessTest, TryExplainShowsWhereEachPatternMatched)
{
    const QString script = QDir(site.folder()).filePath(QStringLiteral("scripts/Edited.tvs"));
    site.writeScript(script, {{QStringLiteral("<td class=annee>"), QStringLiteral("<td class=an>")}});
    const ToolRun run = trouvel({QStringLiteral("try"), script, QStringLiteral("Nord/Sud"), QStringLiteral("--explain")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("  Année (Match2) : aucune correspondance dans la page ; le début « <td class=an » "
                                                   "(12 éléments sur 19) y correspond, mais « > » ne suit pas : il s'arrête ligne ")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("  Titre (Match1) : ligne "))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("[<h1 class=\"titre-film\">⟨1:Nord/Sud⟩</h1>]")));
    EXPECT_EQ(trouvel({QStringLiteral("try"), script, QStringLiteral("x"), QStringLiteral("--explain"), QStringLiteral("--json")}).exitCode, 2);
}

TEST_F(FixtureProcessTest, BadUsageExitsWithTwo)
{
    const QString empty = QDir(home.path()).filePath(QStringLiteral("vide"));
    QDir().mkpath(empty);
    const QList<QStringList> cases = {
        {QStringLiteral("record"), site.scriptPath()},
        {QStringLiteral("record"), site.scriptPath(), QStringLiteral("x"), QStringLiteral("--pick"), QStringLiteral("0")},
        {QStringLiteral("record"), site.folder(), QStringLiteral("x")},
        {QStringLiteral("check")},
        {QStringLiteral("check"), site.scriptPath(), empty}, // nothing recorded there
        {QStringLiteral("check"), site.scriptPath(), QStringLiteral("--liv")},
    };
    for (const QStringList& args : cases)
        EXPECT_EQ(trouvel(args).exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
}

// A small site whose pages change between the recording and the live check.
class DriftTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        script = QDir(home.path()).filePath(QStringLiteral("Site.tvs"));
        QString text = QStringLiteral("[Options]\nMethode=0\nHTTP=0\n[SearchPage]\nUrl=BASE/cherche?q=%1\n"
                                      "Pattern=<li><a href=\"/f/(\\d+)\">([^<]*)</a></li>\nLink=1\nShortText=2\nLongText=2\n"
                                      "[FilmPage]\nUrl=BASE/f/%1\nCount=3\nMatch1=Titre|<h1>([^<]*)</h1>\n"
                                      "Match2=Année|<span class=\"an\">([^<]*)</span>\nMatch3=Genre|<p class=\"genre\">([^<]*)</p>\n"
                                      "PatternImg=nothing-here\n[ImgPage]\nUrl=BASE%1\n");
        writeFile(script, text.replace(QStringLiteral("BASE"), site.base()).toUtf8());
        site.page("/cherche?q=Orage", "<ul><li><a href=\"/f/1\">Orage</a></li></ul>");
        site.page("/f/1", "<h1>Orage</h1><span class=\"an\">1988</span><p class=\"genre\">Drame</p>");
    }

    ToolRun trouvel(const QStringList& args) { return runTrouvel(args, home.path()); }

    wizard::test::TestSite site;
    QTemporaryDir home;
    QString script;
};

TEST_F(DriftTest, LiveReportsDriftAndUpdateRewrites)
{
    ASSERT_EQ(trouvel({QStringLiteral("record"), script, QStringLiteral("Orage")}).exitCode, 0);
    EXPECT_EQ(trouvel({QStringLiteral("check"), script, QStringLiteral("--live")}).exitCode, 0);

    // The film moves behind a redirect, its year loses two digits and its genre its class.
    site.redirect("/f/1", "/fiche/1");
    site.page("/fiche/1", "<h1>Orage</h1><span class=\"an\">88 (reprise)</span><p>Drame</p>");
    const ToolRun drift = trouvel({QStringLiteral("check"), script, QStringLiteral("--live")});
    EXPECT_EQ(drift.exitCode, 1);
    for (const char* expected : {"champ « Genre » vide (était « Drame »)", "champ « Année » : forme changée (année → texte)",
                                 "fiche, redirections : aucune → 301 → http://127.0.0.1:", "fiche, adresse finale : ",
                                 // Each drifted field shows the recorded match beside what its pattern does now.
                                 "champ « Genre » vide (était « Drame »)\n    enregistré : ligne 5, colonne 43 : "
                                 "…1><span class=\"an\">1988</span>[<p class=\"genre\">⟨1:Drame⟩</p>]\n"
                                 "    en direct  : aucune correspondance dans la page ; le début « <p » (2 éléments sur 22) "
                                 "y correspond, mais « ␠ » ne suit pas : il s'arrête ligne 10, colonne 53 : "})
        EXPECT_TRUE(drift.out.contains(QString::fromUtf8(expected))) << expected << "\n" << drift.out.toStdString();
    // Offline the recording still replays as it was: --live rewrote nothing.
    EXPECT_EQ(trouvel({QStringLiteral("check"), script}).exitCode, 0);

    site.page("/cherche?q=Orage", "<ul></ul>");
    const ToolRun gone = trouvel({QStringLiteral("check"), script, QStringLiteral("--live"), QStringLiteral("--update")});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_TRUE(gone.out.contains(QString::fromUtf8("candidat disparu : « [1] Orage | Orage »"))) << gone.out.toStdString();
    EXPECT_TRUE(gone.out.contains(QString::fromUtf8("enregistrement mis à jour")));
    EXPECT_EQ(trouvel({QStringLiteral("check"), script, QStringLiteral("--live")}).exitCode, 0);
    EXPECT_EQ(trouvel({QStringLiteral("check"), script}).exitCode, 0);
}

TEST_F(DriftTest, TryShowsWhatWasSentAndSavesEveryHop)
{
    site.page("/cherche?q=Tom+%26+Lola", "<ul><li><a href=\"/f/1\">Tom &amp; Lola</a></li></ul>");
    site.redirect("/f/1", "/fiche/1");
    site.page("/fiche/1", "<h1>Tom &amp; Lola</h1>");
    const QString pages = QDir(home.path()).filePath(QStringLiteral("pages"));
    const ToolRun run = trouvel({QStringLiteral("try"), script, QStringLiteral("Tom & Lola"), QStringLiteral("--save-pages"), pages});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("  envoyé : GET /cherche?q=Tom+%26+Lola HTTP/1.0\n  adresse envoyée : %1/cherche?q=Tom+%26+Lola\n")
                                     .arg(site.base())))
        << run.out.toStdString();
    // The search, the redirect as it came, and the film page the steps read.
    EXPECT_EQ(QDir(pages).entryList(QDir::Files), (QStringList{QStringLiteral("page1-hop1.html"), QStringLiteral("page2-hop1.html"),
                                                               QStringLiteral("page2-hop2.html")}));
    QFile redirect(QDir(pages).filePath(QStringLiteral("page2-hop1.html")));
    ASSERT_TRUE(redirect.open(QIODevice::ReadOnly));
    const QByteArray hop = redirect.readAll();
    EXPECT_TRUE(hop.startsWith("HTTP/1.") && hop.left(20).contains(" 301 ")) << hop.left(40).toStdString();
    QFile film(QDir(pages).filePath(QStringLiteral("page2-hop2.html")));
    ASSERT_TRUE(film.open(QIODevice::ReadOnly));
    EXPECT_TRUE(film.readAll().endsWith("<h1>Tom &amp; Lola</h1>"));
}

TEST_F(DriftTest, ListsAndFallbacksOverTheSite)
{
    QString text = QStringLiteral("[SearchPage]\nUrl=BASE/cherche?q=%1\nPattern=<li><a href=\"/f/(\\d+)\">([^<]*)</a></li>\nLink=1\n"
                                  "ShortText=2\n[FilmPage]\nUrl=BASE/f/%1\nCount=2\nMatch1=Acteurs|<div class=\"carte\"><b>([^<]+)</b>\n"
                                  "Join1=, \nMatch2=Année|<span class=\"sortie\">(\\d{4})</span>\n"
                                  "Match2.2=<span class=\"production\">(\\d{4})</span>\n");
    writeFile(script, text.replace(QStringLiteral("BASE"), site.base()).toUtf8());
    site.page("/f/1", "<div class=\"carte\"><b>Ana Roy</b><i>Léa</i></div>\n<div class=\"carte\"><b>Bo Li</b></div>\n"
                      "<div class=\"carte\"><b>Ana Roy</b><i>Léa enfant</i></div><span class=\"production\">1987</span>");
    const ToolRun run = trouvel({QStringLiteral("try"), script, QStringLiteral("Orage"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray fields = QJsonDocument::fromJson(run.out.toUtf8())[QStringLiteral("detail")][QStringLiteral("fields")].toArray();
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0][QStringLiteral("value")].toString(), QStringLiteral("Ana Roy, Bo Li"));
    EXPECT_EQ(fields[1][QStringLiteral("value")].toString(), QStringLiteral("1987"));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString(); // the keys lint clean
}

} // namespace
