// The pieces of record and check that need no process: folder names, value shapes, the
// comparison of two outcomes, and recorded hops replayed through the page client's framing.
#include "Fixture.h"
#include "OutcomeCompare.h"

#include "net/WireReplay.h"
#include "support/ZlibCompress.h"

#include <QBuffer>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace trouvel;
using namespace trouvel::cli;

namespace {

struct NameCase {
    const char* name;
    const char* title;
    int pick;
    const char* folder;
};
class FolderName : public ::testing::TestWithParam<NameCase> {};
TEST_P(FolderName, IsPlainAscii)
{
    EXPECT_EQ(fixtureFolderName(QString::fromUtf8(GetParam().title), GetParam().pick), QLatin1String(GetParam().folder));
}
INSTANTIATE_TEST_SUITE_P(Titles, FolderName,
                         ::testing::Values(NameCase{"Accents", "Le Dernier Été", 0, "le-dernier-ete"},
                                           NameCase{"Slash", "Nord/Sud", 0, "nord-sud"},
                                           NameCase{"Picked", "Minuit", 3, "minuit--choix-3"},
                                           NameCase{"Punctuation", " « Paris : 1979 » ", 0, "paris-1979"},
                                           NameCase{"NothingLeft", "？！", 0, "titre"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShapeCase {
    const char* name;
    const char* value;
    const char* shape;
};
class Shape : public ::testing::TestWithParam<ShapeCase> {};
TEST_P(Shape, Classifies)
{
    EXPECT_EQ(valueShape(QString::fromUtf8(GetParam().value)), QString::fromUtf8(GetParam().shape));
}
INSTANTIATE_TEST_SUITE_P(Values, Shape,
                         ::testing::Values(ShapeCase{"Year", "1988", "année"}, ShapeCase{"ShortYear", "88", "chiffres"},
                                           ShapeCase{"Date", "05/10/1988", "chiffres"}, ShapeCase{"Blank", "  ", "vide"},
                                           ShapeCase{"Markup", "Drame <b>noir</b>", "balises"},
                                           ShapeCase{"LessThan", "note < 3", "texte"}, ShapeCase{"Text", "Road movie", "texte"}),
                         [](const auto& info) { return std::string(info.param.name); });

QJsonObject outcome(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

constexpr char kRecorded[] = R"({"search": {"address": "a", "code": 0, "http": 200, "redirects": [], "final": "a", "status": "ok",
  "candidates": [{"link": "1", "desc1": "Orage", "desc2": ""}, {"link": "2", "desc1": "Orages", "desc2": ""}]},
  "detail": {"address": "f", "code": 0, "http": 200, "redirects": [], "final": "f", "status": "ok",
  "fields": [{"name": "Année", "value": "1988", "ticked": true}, {"name": "Genre", "value": "Drame", "ticked": true}],
  "picture": {"address": "p", "file": "picture.jpg"}}})";

TEST(OutcomeCompare, SameOutcomeHasNoChangeAndNoDrift)
{
    EXPECT_EQ(outcomeChanges(outcome(kRecorded), outcome(kRecorded)), QStringList());
    EXPECT_EQ(outcomeDrift(outcome(kRecorded), outcome(kRecorded)), QStringList());
}

TEST(OutcomeCompare, ReplayNamesEveryDifferenceLiveOnlyDrift)
{
    QByteArray now = kRecorded;
    now.replace(R"("1988", "ticked": true)", R"("1989", "ticked": true)");   // same shape: a change, no drift
    now.replace(R"("Drame", "ticked": true)", R"("", "ticked": false)");     // emptied
    now.replace(R"(, {"link": "2", "desc1": "Orages", "desc2": ""})", "");   // a candidate gone
    now.replace(R"("http": 200, "redirects": [], "final": "f", "status": "ok")", R"("http": 404, "redirects": [], "final": "f", "status": "échec")");
    const QStringList changes = outcomeChanges(outcome(kRecorded), outcome(now));
    EXPECT_EQ(changes, QStringList({QString::fromUtf8("candidat 2 disparu : « [2] Orages |  »"),
                                    QString::fromUtf8("fiche, statut HTTP : « 200 » → « 404 »"),
                                    QString::fromUtf8("fiche, état : « ok » → « échec »"),
                                    QString::fromUtf8("champ « Année » : « 1988 » → « 1989 »"),
                                    QString::fromUtf8("champ « Genre » : « Drame » → «  »"),
                                    QString::fromUtf8("champ « Genre » : coché → non coché")}));
    EXPECT_EQ(outcomeDrift(outcome(kRecorded), outcome(now)),
              QStringList({QString::fromUtf8("candidat disparu : « [2] Orages |  »"),
                           QString::fromUtf8("fiche, statut HTTP : « 200 » → « 404 »"),
                           QString::fromUtf8("champ « Genre » vide (était « Drame »)")}));
}

// Each hop's bytes go through the same framing as a live fetch: chunks joined, gzip undone,
// every LF stored as CR LF (a CR before it kept), the redirect's head kept and reported, its body not.
TEST(WireReplay, StoresAndReportsAsTheLiveClient)
{
    const QByteArray body = testsupport::zlibCompress("<p>un\ndeux</p>", 16 + 15);
    std::vector<net::WireExchange> hops = {
        {QStringLiteral("http://h/a"), "GET /a HTTP/1.1\r\n\r\n", "HTTP/1.1 302 Found\r\nLocation: /b?x=1\r\nContent-Length: 4\r\n\r\nskip"},
        {QStringLiteral("http://h/b?x=1"), "GET /b?x=1 HTTP/1.1\r\n\r\n",
         "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n" + QByteArray::number(body.size(), 16) + "\r\n"
             + body + "\r\n0\r\n\r\n"}};
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    const net::PageReport report = net::replayWire(QStringLiteral("http://h/a"), hops, file);
    EXPECT_EQ(report.status, 200);
    EXPECT_EQ(report.finalAddress, QStringLiteral("http://h/b?x=1"));
    ASSERT_EQ(report.redirects.size(), 1u);
    EXPECT_EQ(report.redirects[0].status, 302);
    EXPECT_EQ(report.redirects[0].to, QStringLiteral("http://h/b?x=1"));
    const QByteArray stored = file.data();
    EXPECT_TRUE(stored.startsWith("HTTP/1.1 302 Found\r\r\nLocation: /b?x=1\r\r\n"));
    EXPECT_FALSE(stored.contains("skip"));
    EXPECT_TRUE(stored.endsWith("\r\r\n\r\r\n<p>un\r\ndeux</p>")) << stored.toStdString();
}

TEST(WireReplay, BrokenCompressionFailsAsLive)
{
    std::vector<net::WireExchange> hops = {
        {QStringLiteral("http://h/a"), {}, "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 5\r\n\r\nnope!"}};
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    EXPECT_THROW(net::replayWire(QStringLiteral("http://h/a"), hops, file), net::DownloadError);
}

} // namespace
