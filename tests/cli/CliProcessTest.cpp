// The trouvel program run as a separate process against the demo site of this process:
// `try --json` field by field, and `batch` over a copy of the demo catalogue.
#include "CliProcessFixture.h"

#include "catalogue/CatalogueFile.h"
#include "config/IniFile.h"
#include "site/SiteText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/stat.h>

using namespace trouvel;
using namespace trouvel::demo;
using trouvel::testsupport::CliProcessTest;
using trouvel::testsupport::ToolRun;
using trouvel::testsupport::inodeOf;

namespace {

QStringList keys(const QJsonObject& o)
{
    QStringList k = o.keys();
    k.sort();
    return k;
}

TEST_F(CliProcessTest, TryJsonOneCandidateFieldByField)
{
    const QJsonObject o = tryJson(QStringLiteral("Nord/Sud"));
    EXPECT_EQ(keys(o), QStringList({QStringLiteral("detail"), QStringLiteral("search")}));
    const QJsonObject search = o[QStringLiteral("search")].toObject();
    EXPECT_EQ(keys(search), QStringList({QStringLiteral("address"), QStringLiteral("candidates"), QStringLiteral("code"),
                                          QStringLiteral("direct_hit"), QStringLiteral("final"), QStringLiteral("http"),
                                          QStringLiteral("redirects"), QStringLiteral("resent_in"), QStringLiteral("status")}));
    EXPECT_EQ(search[QStringLiteral("address")].toString(),
              QStringLiteral("http://127.0.0.1:%1/recherche?titre=Nord/Sud").arg(fixture.site().port()));
    EXPECT_EQ(search[QStringLiteral("code")].toInt(-1), 0);
    EXPECT_EQ(search[QStringLiteral("status")].toString(), QStringLiteral("Analyse terminee"));
    const QJsonArray candidates = search[QStringLiteral("candidates")].toArray();
    ASSERT_EQ(candidates.size(), 1);
    const QJsonObject c = candidates[0].toObject();
    EXPECT_EQ(keys(c), QStringList({QStringLiteral("desc1"), QStringLiteral("desc2"), QStringLiteral("link")}));
    EXPECT_EQ(c[QStringLiteral("link")].toString(), QStringLiteral("108"));
    EXPECT_EQ(c[QStringLiteral("desc1")].toString(), QStringLiteral("Nord/Sud"));
    EXPECT_EQ(c[QStringLiteral("desc2")].toString(), QStringLiteral("1988 - Road movie de Lazare Fontanille"));

    const QJsonObject detail = o[QStringLiteral("detail")].toObject();
    EXPECT_EQ(keys(detail), QStringList({QStringLiteral("address"), QStringLiteral("code"), QStringLiteral("fields"),
                                          QStringLiteral("final"), QStringLiteral("http"), QStringLiteral("picture"),
                                          QStringLiteral("redirects"), QStringLiteral("status")}));
    EXPECT_EQ(detail[QStringLiteral("address")].toString(), QStringLiteral("http://127.0.0.1:%1/film/108").arg(fixture.site().port()));
    EXPECT_EQ(detail[QStringLiteral("code")].toInt(-1), 0);
    EXPECT_EQ(detail[QStringLiteral("status")].toString(), QString::fromUtf8("Terminé"));
    const Film& f = film(108);
    const QStringList values = {f.title,          QString::number(f.year), f.director, f.castText(),   f.genre,       f.country,
                                f.durationText(), f.language,              f.released, f.distributor, f.ratingText(), f.synopsis};
    const QJsonArray fields = detail[QStringLiteral("fields")].toArray();
    ASSERT_EQ(fields.size(), values.size());
    for (int k = 0; k < values.size(); ++k) {
        const QJsonObject field = fields[k].toObject();
        EXPECT_EQ(keys(field), QStringList({QStringLiteral("name"), QStringLiteral("ticked"), QStringLiteral("value")}));
        EXPECT_EQ(field[QStringLiteral("value")].toString(), values[k]) << k;
        EXPECT_TRUE(field[QStringLiteral("ticked")].toBool()) << k;
    }
    EXPECT_EQ(fields[1].toObject()[QStringLiteral("name")].toString(), QString::fromUtf8("Année"));
    const QJsonObject picture = detail[QStringLiteral("picture")].toObject();
    EXPECT_EQ(picture[QStringLiteral("address")].toString(),
              QStringLiteral("http://127.0.0.1:%1/affiches/108.jpg").arg(fixture.site().port()));
    const QString file = picture[QStringLiteral("file")].toString();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(QImage(file).size(), QSize(300, 450));
}

TEST_F(CliProcessTest, TryJsonKeepsTheDocumentedKeyOrder)
{
    const ToolRun run = trouvel({QStringLiteral("try"), fixture.scriptPath(), QStringLiteral("Minuit"), QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.trimmed(),
              QStringLiteral("{\"search\": {\"address\": \"http://127.0.0.1:%1/recherche?titre=Minuit\", \"code\": 0, "
                             "\"status\": \"Analyse terminee\", \"http\": 200, \"redirects\": [], "
                             "\"final\": \"http://127.0.0.1:%1/recherche?titre=Minuit\", \"resent_in\": null, \"direct_hit\": false, \"candidates\": []}, \"detail\": null}")
                  .arg(fixture.site().port()));
}

TEST_F(CliProcessTest, TryJsonAmbiguousThenPicked)
{
    const QJsonObject listed = tryJson(QString::fromUtf8("Les Oiseaux de passage"));
    EXPECT_TRUE(listed[QStringLiteral("detail")].isNull());
    const QJsonArray candidates = listed[QStringLiteral("search")].toObject()[QStringLiteral("candidates")].toArray();
    ASSERT_EQ(candidates.size(), 3);
    EXPECT_EQ(candidates[2].toObject()[QStringLiteral("link")].toString(), QStringLiteral("105"));

    const QJsonObject picked = tryJson(QString::fromUtf8("Les Oiseaux de passage"), {QStringLiteral("--pick"), QStringLiteral("3")});
    const QJsonObject detail = picked[QStringLiteral("detail")].toObject();
    EXPECT_TRUE(detail[QStringLiteral("address")].toString().endsWith(QStringLiteral("/film/105")));
    EXPECT_EQ(detail[QStringLiteral("fields")].toArray()[1].toObject()[QStringLiteral("value")].toString(), QStringLiteral("2011"));
    EXPECT_EQ(picked[QStringLiteral("search")].toObject()[QStringLiteral("status")].toString(), QStringLiteral("Analyse terminee"));
}

TEST_F(CliProcessTest, TryJsonWithoutPosterAndWithBadPoster)
{
    const QJsonObject none = tryJson(QStringLiteral("Brouillard sur la Loire"));
    const QJsonObject nonePicture = none[QStringLiteral("detail")].toObject()[QStringLiteral("picture")].toObject();
    EXPECT_EQ(nonePicture[QStringLiteral("address")].toString(), QString());
    EXPECT_EQ(nonePicture[QStringLiteral("file")].toString(), QString());

    const QJsonObject bad = tryJson(QString::fromUtf8("Les Ombres du marché couvert"), {}, 1);
    const QJsonObject detail = bad[QStringLiteral("detail")].toObject();
    EXPECT_EQ(detail[QStringLiteral("status")].toString(), QString::fromUtf8("Image reçue mais illisible : une page HTML est arrivée à la place de l'image"));
    EXPECT_TRUE(detail[QStringLiteral("picture")].toObject()[QStringLiteral("address")].toString().endsWith(QStringLiteral("/affiches/119.jpg")));
    EXPECT_EQ(detail[QStringLiteral("picture")].toObject()[QStringLiteral("file")].toString(), QString());
}

TEST_F(CliProcessTest, TryReportsPatternsThatDoNotCompile)
{
    const QString broken = QDir(fixture.folder()).filePath(QStringLiteral("Broken.tvs"));
    fixture.writeScript(broken, {{QStringLiteral("Pattern=<a class"), QStringLiteral("Pattern=(<a class")},
                                 {QStringLiteral("Match2=Année|"), QStringLiteral("Match2=Année|[")}});
    ToolRun run = trouvel({QStringLiteral("try"), broken, QStringLiteral("Nord/Sud")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("motif de recherche en erreur"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("position"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("0 candidat(s)")));
    // The same mistakes are said before the run, and by lint, which exits 1 and lists them.
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("trouvel try : avertissement : %1:").arg(broken))) << run.err.toStdString();
    const ToolRun lint = trouvel({QStringLiteral("lint"), broken, QStringLiteral("--json")});
    EXPECT_EQ(lint.exitCode, 1);
    const QJsonArray warnings = QJsonDocument::fromJson(lint.out.toUtf8()).array();
    ASSERT_EQ(warnings.size(), 2) << lint.out.toStdString();
    EXPECT_EQ(warnings[0].toObject()[QStringLiteral("key")].toString(), QStringLiteral("Pattern"));
    EXPECT_EQ(trouvel({QStringLiteral("lint"), fixture.scriptPath()}).exitCode, 0);
}

TEST_F(CliProcessTest, BadUsageExitsWithTwo)
{
    const QString missing = QDir(fixture.folder()).filePath(QStringLiteral("absent.tvs"));
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("essai")},
        {QStringLiteral("try"), fixture.scriptPath()},
        {QStringLiteral("try"), missing, QStringLiteral("Nord/Sud")},
        {QStringLiteral("try"), fixture.folder(), QStringLiteral("Nord/Sud")},
        {QStringLiteral("try"), fixture.scriptPath(), QStringLiteral("x"), QStringLiteral("--pick"), QStringLiteral("0")},
        {QStringLiteral("try"), fixture.scriptPath(), QStringLiteral("x"), QStringLiteral("--jsn")},
        {QStringLiteral("batch"), cataloguePath},
        {QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), missing},
        {QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), fixture.scriptPath(), QStringLiteral("--from"), QStringLiteral("99")},
        {QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), fixture.scriptPath(), QStringLiteral("--map"), QStringLiteral("Titre=Pays2")},
        {QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), fixture.scriptPath(), QStringLiteral("--report"), QStringLiteral("r.txt")},
        {QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), fixture.scriptPath(), QStringLiteral("--max-wait"), QStringLiteral("-1")},
        {QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), fixture.scriptPath(), QStringLiteral("--retry-delay"), QStringLiteral("x")},
    };
    for (const QStringList& args : cases)
        EXPECT_EQ(trouvel(args).exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
    const ToolRun help = trouvel({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("trouvel try SCRIPT TITRE")));
    const ToolRun version = trouvel({QStringLiteral("--version")});
    EXPECT_EQ(version.out.trimmed(), QStringLiteral("trouvel " TROUVEL_TEST_VERSION));
}

TEST_F(CliProcessTest, BatchFillsSkipsAndReports)
{
    const QByteArray before = [&] { QFile f(cataloguePath); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const ino_t inodeBefore = inodeOf(cataloguePath);
    const ToolRun run = trouvel(batchArgs());
    // Entry 13's poster is not a picture: its fields are saved, the run says it is incomplete.
    ASSERT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Remplies : 19\nImages non téléchargées : 1\n  13. Les Ombres du marché couvert : image reçue mais illisible : une page HTML est arrivée à la place de l'image"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Ambiguës : 3\n  1. Le Dernier Été : 2 candidats\n  2. Les Oiseaux de passage : 3 candidats\n")));
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Introuvables : 3\n  6. Minuit à Carcassonne\n")));
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Échecs : 0\n")));
    // Not a terminal: one line per entry.
    EXPECT_TRUE(run.err.contains(QString::fromUtf8("3/25 Nord/Sud : rempli\n"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8("12/25 Brouillard sur la Loire : rempli (sans image)\n")));

    // Written by renaming a complete new file over the old one; nothing else left behind.
    EXPECT_NE(inodeOf(cataloguePath), inodeBefore);
    for (const QString& name : QDir(catalogueDir).entryList(QDir::Files))
        EXPECT_TRUE(name == QLatin1String("demo.csv") || name == QLatin1String("Trouvel.ini") || name.endsWith(QLatin1String(".jpg")))
            << name.toStdString();

    cadrelle::Catalogue original;
    ASSERT_EQ(cadrelle::parseCatalogue(before, original), QString());
    const cadrelle::Catalogue filled = loadCatalogue();
    ASSERT_EQ(filled.entryCount(), original.entryCount());
    int checked = 0;
    for (int row = 0; row < filled.entryCount(); ++row) {
        const QString title = original.cell(row, 0);
        SCOPED_TRACE(title.toStdString());
        EXPECT_EQ(filled.cell(row, 0), title) << "the title column is not mapped";
        EXPECT_EQ(filled.cell(row, 7), original.cell(row, 7)) << "Support is not mapped";
        const auto found = fixture.site().content().search(title);
        if (found.size() != 1) {
            EXPECT_EQ(filled.entry(row).cells, original.entry(row).cells);
            EXPECT_EQ(filled.tag(row), QString());
            continue;
        }
        const Film& f = *found[0];
        EXPECT_EQ(filled.cell(row, 1), QString::number(f.year));
        EXPECT_EQ(filled.cell(row, 2), f.director);
        EXPECT_EQ(filled.cell(row, 3), f.castText());
        EXPECT_EQ(filled.cell(row, 4), f.genre);
        EXPECT_EQ(filled.cell(row, 5), f.durationText());
        EXPECT_EQ(filled.cell(row, 6), f.synopsis);
        if (f.poster == PosterKind::Picture) {
            EXPECT_FALSE(filled.tag(row).isEmpty());
            EXPECT_FALSE(QImage(QDir(catalogueDir).filePath(filled.tag(row))).isNull());
        } else {
            EXPECT_EQ(filled.tag(row), QString());
        }
        ++checked;
    }
    EXPECT_EQ(checked, 19);

    // A second run finds the same and leaves the file alone.
    const QByteArray first = [&] { QFile f(cataloguePath); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const ino_t inodeFirst = inodeOf(cataloguePath);
    const ToolRun again = trouvel(batchArgs());
    EXPECT_EQ(again.exitCode, 1); // the same poster is still not a picture
    EXPECT_TRUE(again.out.contains(QString::fromUtf8("Catalogue inchangé.")));
    QFile f(cataloguePath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), first);
    EXPECT_EQ(inodeOf(cataloguePath), inodeFirst);
}

TEST_F(CliProcessTest, DryRunWritesNothingEvenWithMap)
{
    const QString ini = QDir(catalogueDir).filePath(QStringLiteral("Trouvel.ini"));
    const QByteArray csvBefore = [&] { QFile f(cataloguePath); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const QByteArray iniBefore = [&] { QFile f(ini); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const ToolRun run = trouvel(batchArgs({QStringLiteral("--dry-run"), QStringLiteral("--map"), QStringLiteral("Support=Pays")}));
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString(); // entry 13's poster is not a picture
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Remplies : 19\n")));
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Essai à blanc")));
    QFile csv(cataloguePath), settings(ini);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly) && settings.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(), csvBefore);
    EXPECT_EQ(settings.readAll(), iniBefore);
    EXPECT_TRUE(QDir(catalogueDir).entryList({QStringLiteral("*.jpg")}).isEmpty());
}

TEST_F(CliProcessTest, MapWritesEveryColumnAsTheDialogDoes)
{
    const QString ini = QDir(catalogueDir).filePath(QStringLiteral("Trouvel.ini"));
    ASSERT_TRUE(QFile::remove(ini));
    const ToolRun run = trouvel(batchArgs({QStringLiteral("--map"), QString::fromUtf8("Année=2"), QStringLiteral("--map"),
                                       QStringLiteral("8=Pays"), QStringLiteral("--from"), QStringLiteral("3")}));
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString(); // entry 13's poster is not a picture
    const QString section = QStringLiteral("Demo");
    const QStringList expected = {QString(), QStringLiteral("2"), QString(), QString(), QString(), QString(), QString(), QStringLiteral("6")};
    for (int c = 1; c <= 8; ++c)
        EXPECT_EQ(config::ReadIniString(ini, section, QStringLiteral("Col%1").arg(c), QStringLiteral("missing")), expected[c - 1]) << c;
    const cadrelle::Catalogue filled = loadCatalogue();
    EXPECT_EQ(filled.cell(2, 1), QStringLiteral("1988"));
    EXPECT_EQ(filled.cell(2, 7), QStringLiteral("France"));
    EXPECT_EQ(filled.cell(2, 2), QString()) << "unmapped column";
    EXPECT_EQ(filled.cell(0, 7), QStringLiteral("DVD")) << "entries before --from are not visited";
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Entrées traitées : 23\n")));
}

TEST_F(CliProcessTest, ColumnsChangedSinceTheMappingStopBeforeAnyEntry)
{
    // --map keeps the captions of the day beside the numbers.
    const QString ini = QDir(catalogueDir).filePath(QStringLiteral("Trouvel.ini"));
    ASSERT_EQ(trouvel(batchArgs({QStringLiteral("--map"), QString::fromUtf8("Année=2"), QStringLiteral("--from"), QStringLiteral("25")})).exitCode, 0);
    EXPECT_EQ(config::ReadIniString(ini, QStringLiteral("Demo"), QStringLiteral("Caption2"), {}), QString::fromUtf8("Année"));
    // "Année" deleted in the host: column 2 is now "Réalisateur".
    cadrelle::Catalogue changed = loadCatalogue();
    changed.removeColumn(1);
    ASSERT_EQ(cadrelle::saveCatalogue(cataloguePath, changed), QString());
    const QByteArray before = [&] { QFile f(cataloguePath); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const ToolRun run = trouvel(batchArgs());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QString::fromUtf8("(la colonne « Année » a été supprimée)"))) << run.err.toStdString();
    QFile after(cataloguePath);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

TEST_F(CliProcessTest, UnsuccessfulStatusIsReportedNotNotFound)
{
    // The site's Retry-After (30 s) is beyond --max-wait 0: no wait, no new try.
    fixture.site().content().forceStatus("/recherche", 503);
    ToolRun run = trouvel(batchArgs({QStringLiteral("--from"), QStringLiteral("24"), QStringLiteral("--max-wait"), QStringLiteral("0")}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Introuvables : 0\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Échecs : 2\n  24. Paris/Lisbonne : aller simple : recherche : HTTP 503 Service Unavailable\n")));
    fixture.site().content().forceStatus("/recherche", 0);

    fixture.site().content().forceStatus("/film/108", 429);
    run = trouvel(batchArgs({QStringLiteral("--from"), QStringLiteral("3"), QStringLiteral("--max-wait"), QStringLiteral("0")}));
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("  3. Nord/Sud : fiche : HTTP 429 Too Many Requests\n"))) << run.out.toStdString();
    EXPECT_EQ(loadCatalogue().cell(2, 1), QString()) << "the error page is not saved as the film's data";
}

TEST_F(CliProcessTest, ProxyFromTheOptionCarriesThePageRequests)
{
    const QString viaProxy = QDir(fixture.folder()).filePath(QStringLiteral("Demo.tvs"));
    const QString direct = QStringLiteral("http://127.0.0.1:%1").arg(fixture.site().port());
    fixture.writeScript(viaProxy, {{direct + QStringLiteral("/recherche"), QStringLiteral("http://films.invalid/recherche")},
                                   {direct + QStringLiteral("/film"), QStringLiteral("http://films.invalid/film")}});
    const QString proxy = QStringLiteral("127.0.0.1:%1").arg(fixture.site().port());
    const ToolRun run = trouvel({QStringLiteral("try"), viaProxy, QStringLiteral("Nord/Sud"), QStringLiteral("--proxy"), proxy});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("[x] Genre : Road movie"))) << run.out.toStdString() << run.err.toStdString();
}

TEST_F(CliProcessTest, RefusedConnectionIsPrintedAndCountsAsFailed)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    const QString unreachable = QDir(fixture.folder()).filePath(QStringLiteral("Demo.tvs"));
    fixture.writeScript(unreachable, {{QStringLiteral("127.0.0.1:%1").arg(fixture.site().port()), QStringLiteral("127.0.0.1:%1").arg(closedPort)}});
    const ToolRun tried = trouvel({QStringLiteral("try"), unreachable, QStringLiteral("Nord/Sud")});
    EXPECT_EQ(tried.exitCode, 1);
    EXPECT_TRUE(tried.err.contains(QStringLiteral("Une erreur est survenue lors de la connection :"))) << tried.err.toStdString();
    EXPECT_TRUE(tried.out.contains(QStringLiteral("0 candidat(s)")));

    const ToolRun batch = trouvel({QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), unreachable, QStringLiteral("--from"),
                                   QStringLiteral("25")});
    EXPECT_TRUE(batch.out.contains(QString::fromUtf8("Échecs : 1\n  25. Sept jours sans Bastien : recherche : Une erreur est survenue")))
        << batch.out.toStdString();
    EXPECT_EQ(batch.exitCode, 1);
}

TEST_F(CliProcessTest, CtrlCStopsAfterTheCurrentEntryAndSaves)
{
    bool sent = false;
    const ToolRun run = trouvel(batchArgs({QStringLiteral("--from"), QStringLiteral("3"), QStringLiteral("--delay"), QStringLiteral("60000")}),
                            [&](const QString& line, QProcess& process) {
                                if (!sent && line.startsWith(QStringLiteral("1/23 "))) {
                                    sent = true;
                                    ::kill(pid_t(process.processId()), SIGINT);
                                }
                            });
    ASSERT_TRUE(sent) << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Entrées traitées : 1 (interrompu)\n"))) << run.out.toStdString();
    const cadrelle::Catalogue saved = loadCatalogue();
    EXPECT_EQ(saved.cell(2, 1), QStringLiteral("1988")) << "the entry done before Ctrl-C is saved";
    EXPECT_EQ(saved.cell(3, 1), QString()) << "the next one was not visited";
}

// ---- politeness, --only-empty and --report ----

struct Served {
    int status;
    qint64 atMs;
};

// The searches the site answers from now on, with their status and when; after() sees each.
struct SearchWatch {
    explicit SearchWatch(DemoSite& site, std::function<void()> after = {})
    {
        clock.start();
        QObject::connect(&site, &DemoSite::requestServed, &context, [this, after](const QByteArray&, const QByteArray& target, int status) {
            if (!target.startsWith("/recherche"))
                return;
            served.push_back({status, clock.elapsed()});
            if (after)
                after();
        });
    }
    std::vector<Served> served;
    QElapsedTimer clock;
    QObject context;
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(CliProcessTest, RetryAfterIsWaitedThenTheEntryIsTriedAgain)
{
    SiteContent& content = fixture.site().content();
    content.setRetryAfter("1");
    content.forceStatus("/recherche", 429);
    SearchWatch watch(fixture.site(), [&] { content.forceStatus("/recherche", 0); });
    const std::vector<Served>* served = &watch.served;
    const QString report = QDir(home.path()).filePath(QStringLiteral("rapport.json"));
    const ToolRun run = trouvel(batchArgs({QStringLiteral("--from"), QStringLiteral("25"), QStringLiteral("--max-wait"), QStringLiteral("5"),
                                           QStringLiteral("--report"), report}));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(served->size(), 2u);
    EXPECT_EQ((*served)[0].status, 429);
    EXPECT_EQ((*served)[1].status, 200);
    EXPECT_GE((*served)[1].atMs - (*served)[0].atMs, 1000) << "the asked second is waited out";
    EXPECT_TRUE(run.err.contains(QString::fromUtf8("le site demande d'attendre 1 s (HTTP 429 Too Many Requests)"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Remplies : 1\n"))) << run.out.toStdString();

    const QJsonArray entries = QJsonDocument::fromJson(fileBytes(report)).object().value(QStringLiteral("entries")).toArray();
    ASSERT_EQ(entries.size(), 1);
    const QJsonObject entry = entries[0].toObject();
    EXPECT_EQ(entry.value(QStringLiteral("row")).toInt(), 25);
    EXPECT_EQ(entry.value(QStringLiteral("title")).toString(), QStringLiteral("Sept jours sans Bastien"));
    EXPECT_EQ(entry.value(QStringLiteral("outcome")).toString(), QStringLiteral("rempli"));
}

TEST_F(CliProcessTest, RetryAfterBeyondTheBoundFailsAtOnceAndTheCsvReportSaysWhy)
{
    fixture.site().content().setRetryAfter("120");
    fixture.site().content().forceStatus("/recherche", 503);
    SearchWatch watch(fixture.site());
    const std::vector<Served>* served = &watch.served;
    const QString report = QDir(home.path()).filePath(QStringLiteral("rapport.CSV"));
    const ToolRun run = trouvel(batchArgs({QStringLiteral("--from"), QStringLiteral("24"), QStringLiteral("--max-wait"), QStringLiteral("5"),
                                           QStringLiteral("--report"), report}));
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString(); // the two entries fail
    EXPECT_EQ(served->size(), 2u) << "one search per entry, no new try";
    const QStringList lines = QString::fromUtf8(fileBytes(report)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('|')).toStdString(); // header, two entries, the end
    EXPECT_EQ(lines[0], QString::fromUtf8("n°,titre,résultat,candidats,étape,raison"));
    EXPECT_EQ(lines[1], QString::fromUtf8("24,Paris/Lisbonne : aller simple,échec,,recherche,\"recherche : HTTP 503 Service Unavailable ; "
                                          "le site demande d'attendre 120 s, au-delà des 5 s permis (--max-wait)\""));
    EXPECT_EQ(lines[3], QString());
}

TEST_F(CliProcessTest, ReportListsEveryOutcomeWithTheCandidates)
{
    const QString report = QDir(home.path()).filePath(QStringLiteral("rapport.json"));
    const ToolRun run = trouvel(batchArgs({QStringLiteral("--dry-run"), QStringLiteral("--report"), report}));
    ASSERT_EQ(run.exitCode, 1) << run.err.toStdString(); // entry 13's poster is not a picture
    EXPECT_TRUE(run.out.contains(QStringLiteral("Rapport enregistré : ") + report));
    const QJsonArray entries = QJsonDocument::fromJson(fileBytes(report)).object().value(QStringLiteral("entries")).toArray();
    ASSERT_EQ(entries.size(), 25);
    QMap<QString, int> outcomes;
    for (const QJsonValue& e : entries)
        ++outcomes[e.toObject().value(QStringLiteral("outcome")).toString()];
    EXPECT_EQ(outcomes.value(QStringLiteral("rempli")), 19);
    EXPECT_EQ(outcomes.value(QStringLiteral("ambigu")), 3);
    EXPECT_EQ(outcomes.value(QStringLiteral("introuvable")), 3);

    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first.value(QStringLiteral("outcome")).toString(), QStringLiteral("ambigu"));
    const QJsonArray candidates = first.value(QStringLiteral("candidates")).toArray();
    const auto found = fixture.site().content().search(first.value(QStringLiteral("title")).toString());
    ASSERT_EQ(candidates.size(), qsizetype(found.size()));
    for (qsizetype i = 0; i < candidates.size(); ++i)
        EXPECT_TRUE(candidates[i].toString().contains(found[std::size_t(i)]->title)) << candidates[i].toString().toStdString();
    EXPECT_EQ(entries[5].toObject().value(QStringLiteral("outcome")).toString(), QStringLiteral("introuvable"));
    EXPECT_TRUE(entries[5].toObject().value(QStringLiteral("candidates")).toArray().isEmpty());
}

TEST_F(CliProcessTest, OnlyEmptyLeavesTheUsersNotesAndPicture)
{
    cadrelle::Catalogue mine = loadCatalogue();
    mine.setCell(2, 1, QStringLiteral("vers les années 90 ?")); // Nord/Sud, column Année
    mine.setTag(2, QStringLiteral("mienne.jpg"));
    ASSERT_EQ(cadrelle::saveCatalogue(cataloguePath, mine), QString());
    const ToolRun run = trouvel(batchArgs({QStringLiteral("--from"), QStringLiteral("3"), QStringLiteral("--only-empty")}));
    ASSERT_EQ(run.exitCode, 1) << run.err.toStdString(); // entry 13's poster is not a picture
    const cadrelle::Catalogue saved = loadCatalogue();
    const auto found = fixture.site().content().search(QStringLiteral("Nord/Sud"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(saved.cell(2, 1), QStringLiteral("vers les années 90 ?"));
    EXPECT_EQ(saved.cell(2, 2), found[0]->director) << "a blank column is filled";
    EXPECT_EQ(saved.tag(2), QStringLiteral("mienne.jpg"));
    EXPECT_FALSE(QFileInfo::exists(QDir(catalogueDir).filePath(QStringLiteral("Nord-Sud.jpg")))) << "no picture that no entry names";
    EXPECT_EQ(saved.cell(3, 1).isEmpty(), false) << "the next entries are filled as usual";
}

} // namespace

TEST_F(CliProcessTest, HelpNamesTheScriptsFolderAndUnknownToolOptionsAreRefused)
{
    const QString scripts = QDir(QStringLiteral(TROUVEL_BINARY_DIR "/plugins/Trouvel/scripts")).canonicalPath();
    ASSERT_FALSE(scripts.isEmpty());
    for (const QString& asked : {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("help")}) {
        const ToolRun help = trouvel({asked});
        EXPECT_EQ(help.exitCode, 0) << asked.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage : trouvel try"))) << asked.toStdString();
        EXPECT_TRUE(help.out.contains(QStringLiteral("Dossiers des scripts du module") + QStringLiteral(" (un NOM de script y est cherché, NOM.tvs, dans cet ordre) :\n    ") +
                                      scripts + QLatin1Char('\n')))
            << asked.toStdString() << help.out.toStdString();
    }
    const ToolRun unknown = trouvel({QStringLiteral("--jsn"), QStringLiteral("try")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.startsWith(QStringLiteral("trouvel : commande inconnue : --jsn\nusage : trouvel try"))) << unknown.err.toStdString();
    const ToolRun commandHelp = trouvel({QStringLiteral("batch"), QStringLiteral("--help")});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_TRUE(commandHelp.out.startsWith(QStringLiteral("trouvel : remplit un catalogue")));
    EXPECT_EQ(trouvel({QStringLiteral("--")}).exitCode, 2);
}
