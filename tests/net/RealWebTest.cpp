// What real servers send and how the page client stores it: chunked and compressed bodies,
// redirects, encoded request targets, proxies, time limits and French error texts.
#include "LoopbackServer.h"
#include "NetTestSupport.h"
#include "support/ZlibCompress.h"

#include "common/QtTranslations.h"
#include "net/PictureDownload.h"
#include "net/SocketPageClient.h"
#include "net/LineEnds.h"
#include "net/ResponseFraming.h"

#include <QFileInfo>
#include <QNetworkProxy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace trouvel::net {
namespace {

using namespace test;

// What the framing keeps of a response fed in pieces of `piece` bytes.
QByteArray keptOf(const QByteArray& response, qsizetype piece, ResponseFraming* framing = nullptr)
{
    ResponseFraming local;
    ResponseFraming& f = framing ? *framing : local;
    QByteArray kept;
    for (qsizetype i = 0; i < response.size() && !f.complete(); i += piece)
        f.feed(QByteArrayView(response).sliced(i, std::min(piece, response.size() - i)), &kept);
    return kept;
}

// A body with a multi-byte character, CR LF pairs and a bare LF, for splitting everywhere.
const QByteArray kBody = "<h1>L\xc3\xa9gende</h1>\r\n<p>Texte de remplissage.</p>\nfin";

// ---- chunked bodies ----

struct ChunkedCase {
    const char* name;
    QByteArray response; // the body is kBody, however it is chunked
};

void PrintTo(const ChunkedCase& c, std::ostream* os) { *os << c.name; }

QByteArray chunked(const QList<qsizetype>& sizes, const QByteArray& extension = {}, const QByteArray& trailers = {})
{
    QByteArray out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    qsizetype at = 0;
    for (qsizetype size : sizes) {
        out += QByteArray::number(size, 16) + extension + "\r\n" + kBody.mid(at, size) + "\r\n";
        at += size;
    }
    return out + "0\r\n" + trailers + "\r\n";
}

QList<qsizetype> oneByteChunks()
{
    return QList<qsizetype>(kBody.size(), 1);
}

class ChunkedBody : public ::testing::TestWithParam<ChunkedCase> {};

TEST_P(ChunkedBody, StoresTheBodyAsAContentLengthReplyWould)
{
    const QByteArray head = GetParam().response.left(GetParam().response.indexOf("\r\n\r\n") + 4);
    for (qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(5), qsizetype(4096)}) {
        ResponseFraming framing;
        EXPECT_EQ(keptOf(GetParam().response, piece, &framing), head + kBody) << "pieces of " << piece;
        EXPECT_TRUE(framing.complete());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Splits, ChunkedBody,
    ::testing::Values(ChunkedCase{"OneChunk", chunked({kBody.size()})},
                      // 5 ends inside "é", 21 between the CR and the LF of "\r\n".
                      ChunkedCase{"InsideACharacter", chunked({5, kBody.size() - 5})},
                      ChunkedCase{"InsideACrLf", chunked({21, kBody.size() - 21})},
                      ChunkedCase{"OneByteChunks", chunked(oneByteChunks())},
                      ChunkedCase{"Extensions", chunked({10, kBody.size() - 10}, ";name=\"v\"")},
                      ChunkedCase{"Trailers", chunked({kBody.size()}, {}, "X-Checksum: 1\r\nX-Other: 2\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChunkedBody, BadChunkSizeKeepsTheRestRaw)
{
    const QByteArray response = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\nzz\r\nrest";
    EXPECT_EQ(keptOf(response, 3),
              QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nabczz\r\nrest"));
}

// ---- content codings ----

struct CodingCase {
    const char* name;
    QByteArray header;
    int windowBits;
    bool chunkedToo;
};

void PrintTo(const CodingCase& c, std::ostream* os) { *os << c.name; }

class CompressedBody : public ::testing::TestWithParam<CodingCase> {};

TEST_P(CompressedBody, IsStoredDecoded)
{
    const CodingCase& c = GetParam();
    QByteArray body;
    for (int i = 0; i < 300; ++i)
        body += kBody + QByteArray::number(i);
    const QByteArray packed = testsupport::zlibCompress(body, c.windowBits);
    QByteArray head = "HTTP/1.1 200 OK\r\n" + c.header + "\r\n";
    QByteArray response;
    if (c.chunkedToo) {
        head += "Transfer-Encoding: chunked\r\n\r\n";
        response = head;
        for (qsizetype at = 0; at < packed.size(); at += 700)
            response += QByteArray::number(packed.mid(at, 700).size(), 16) + "\r\n" + packed.mid(at, 700) + "\r\n";
        response += "0\r\n\r\n";
    } else {
        head += "Content-Length: " + QByteArray::number(packed.size()) + "\r\n\r\n";
        response = head + packed;
    }
    for (qsizetype piece : {qsizetype(1), qsizetype(333), response.size()}) {
        ResponseFraming framing;
        EXPECT_EQ(keptOf(response, piece, &framing), head + body) << "pieces of " << piece;
        EXPECT_TRUE(framing.complete());
        EXPECT_FALSE(framing.decodeFailed());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codings, CompressedBody,
    ::testing::Values(CodingCase{"Gzip", "Content-Encoding: gzip", 31, false},
                      CodingCase{"GzipChunked", "Content-Encoding: gzip", 31, true},
                      CodingCase{"DeflateZlib", "Content-Encoding: deflate", 15, false},
                      CodingCase{"DeflateBare", "Content-Encoding: deflate", -15, true},
                      CodingCase{"XGzipUpperCase", "Content-Encoding: X-GZIP", 31, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompressedBody, CorruptDataIsReportedAndABombStopsAtTheLimit)
{
    ResponseFraming corrupt;
    keptOf("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 12\r\n\r\nnot gzipped!", 4, &corrupt);
    EXPECT_TRUE(corrupt.decodeFailed());

    const QByteArray packed = testsupport::zlibCompress(QByteArray(50 * 1024 * 1024, 'a'), 31);
    ResponseFraming bomb;
    bomb.setMaxStoredBytes(1024 * 1024);
    const QByteArray kept = keptOf("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n" + packed, 65536, &bomb);
    EXPECT_TRUE(bomb.overLimit());
    EXPECT_LE(kept.size(), 1024 * 1024);
}

// ---- through the page client ----

class RealWeb : public ::testing::Test {
protected:
    std::int16_t download(const QString& url, std::int16_t get = -1, std::int16_t version = 1)
    {
        return client.DownloadPage(url, target, get, version);
    }

    // Answers every request with respond(request) on the same server.
    void route(LoopbackServer& server, std::function<QList<Step>(const QByteArray&)> respond)
    {
        server.onRequest = [&server, respond] { server.setScript(respond(server.requests.last())); };
    }

    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("tmp.txt"));
    std::int16_t stop = 0;
    SocketPageClient client{stop};
    // The connection error the caller would show for the last fetch, if any.
    QStringList messages() const { return connectionMessages(client); }
};

TEST_F(RealWeb, ChunkedPageOverTheWireIsStoredJoined)
{
    LoopbackServer server({pieces(chunked({5, 21, kBody.size() - 26})), holdStep()});
    ASSERT_EQ(download(server.url()), kDownloadDone);
    EXPECT_EQ(readFile(target), stored("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + kBody));
    EXPECT_EQ(client.lastReport().status, 200);
}

TEST_F(RealWeb, ForcedGzipOverTheWireIsStoredDecoded)
{
    const QByteArray packed = testsupport::zlibCompress(kBody, 31);
    const QByteArray head = "HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\n\r\n";
    LoopbackServer server({send(head + packed), closeStep()});
    ASSERT_EQ(download(server.url(), -1, 0), kDownloadDone);
    EXPECT_EQ(readFile(target), stored(head + kBody));
}

TEST_F(RealWeb, PostRequestOnTheWireHasValidHeaderNames)
{
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\nok"), closeStep()});
    ASSERT_EQ(download(server.url(QStringLiteral("/cherche?t=a b")), 0, 0), kDownloadDone);
    EXPECT_EQ(server.requests.front(), "POST /cherche HTTP/1.0\r\n" + kPostHeaders + "Host: 127.0.0.1:"
                                           + QByteArray::number(server.port())
                                           + "\r\nContent-Length: 5\r\n\r\nt=a+b\r\n");
}

TEST_F(RealWeb, PathIsPercentEncodedAndTheQueryKeepsItsPlus)
{
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\nok"), closeStep()});
    ASSERT_EQ(download(server.url(QStringLiteral("/recherche/Le Dernier \u00c9t\u00e9|2.html?q=un \"deux\"&x=%41")), -1, 0),
              kDownloadDone);
    EXPECT_TRUE(server.requests.front().startsWith(
        "GET /recherche/Le%20Dernier%20%C3%89t%C3%A9%7C2.html?q=un+%22deux%22&x=%41 HTTP/1.0\r\nHost: 127.0.0.1:"))
        << server.requests.front().toStdString();
}

// ---- redirects ----

struct RedirectCase {
    const char* name;
    int status;
    bool post;
    bool absolute;
    QByteArray secondRequestLine; // and whether a body follows
    bool bodyKept;
};

void PrintTo(const RedirectCase& c, std::ostream* os) { *os << c.name; }

class Redirects : public RealWeb, public ::testing::WithParamInterface<RedirectCase> {};

TEST_P(Redirects, AreFollowedWithTheirHeadsStoredFirst)
{
    const RedirectCase& c = GetParam();
    LoopbackServer server;
    const QByteArray location = c.absolute ? server.url(QStringLiteral("/film/2?x=1")).toUtf8() : "../film/2?x=1";
    const QByteArray redirect = "HTTP/1.1 " + QByteArray::number(c.status) + " Moved\r\nLocation: " + location
        + "\r\nContent-Length: 9\r\n\r\nredirect!";
    const QByteArray final = httpResponse("<title>Film 2</title>");
    route(server, [&](const QByteArray& request) {
        return QList<Step>{send(request.contains("/film/2") ? final : redirect), holdStep()};
    });
    ASSERT_EQ(download(server.url(QStringLiteral("/search/q?t=a")), c.post ? 0 : -1), kDownloadDone);
    ASSERT_EQ(server.requests.size(), 2);
    EXPECT_TRUE(server.requests[1].startsWith(c.secondRequestLine)) << server.requests[1].toStdString();
    EXPECT_EQ(server.requests[1].endsWith("\r\n\r\nt=a\r\n"), c.bodyKept) << server.requests[1].toStdString();
    // The redirect's body is not stored; its status line and headers come first.
    EXPECT_EQ(readFile(target), stored(redirect.left(redirect.indexOf("redirect!")) + final));
    const PageReport& report = client.lastReport();
    ASSERT_EQ(report.redirects.size(), 1u);
    EXPECT_EQ(report.redirects[0].status, c.status);
    EXPECT_EQ(report.finalAddress, server.url(QStringLiteral("/film/2?x=1")));
    EXPECT_EQ(report.status, 200);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, Redirects,
    ::testing::Values(RedirectCase{"Get301Relative", 301, false, false, "GET /film/2?x=1 HTTP/1.1", false},
                      RedirectCase{"Get302Absolute", 302, false, true, "GET /film/2?x=1 HTTP/1.1", false},
                      RedirectCase{"Post301BecomesGet", 301, true, false, "GET /film/2?x=1 HTTP/1.1", false},
                      RedirectCase{"Post302BecomesGet", 302, true, true, "GET /film/2?x=1 HTTP/1.1", false},
                      RedirectCase{"Post303BecomesGet", 303, true, false, "GET /film/2?x=1 HTTP/1.1", false},
                      RedirectCase{"Post307KeepsItsBody", 307, true, false, "POST /film/2?x=1 HTTP/1.1", true},
                      RedirectCase{"Post308KeepsItsBody", 308, true, true, "POST /film/2?x=1 HTTP/1.1", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RealWeb, RedirectLoopAndEleventhHopFail)
{
    LoopbackServer loop;
    route(loop, [](const QByteArray& request) {
        return QList<Step>{send(httpResponse({}, "302 Found", request.contains("/a") ? "Location: /b\r\n" : "Location: /a\r\n")),
                           holdStep()};
    });
    EXPECT_THROW(
        {
            try {
                download(loop.url(QStringLiteral("/a")));
            } catch (const DownloadError& e) {
                EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Boucle de redirection"))) << e.what();
                throw;
            }
        },
        DownloadError);

    LoopbackServer chain;
    route(chain, [](const QByteArray& request) {
        const int n = request.mid(5, request.indexOf(' ', 5) - 5).toInt();
        return QList<Step>{send(httpResponse({}, "302 Found", "Location: /" + QByteArray::number(n + 1) + "\r\n")),
                           holdStep()};
    });
    EXPECT_THROW(download(chain.url(QStringLiteral("/0"))), DownloadError);
    EXPECT_EQ(chain.requests.size(), kMaxRedirects + 1);
    EXPECT_EQ(client.lastReport().redirects.size(), std::size_t(kMaxRedirects + 1));
    EXPECT_TRUE(client.lastReport().problem.startsWith(QStringLiteral("Trop de redirections")));
}

// ---- time limits ----

TEST_F(RealWeb, SilentServerEndsAtTheTimeLimit)
{
    client.setTimeLimit(150);
    LoopbackServer server({send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"), holdStep()});
    EXPECT_EQ(download(server.url()), kDownloadTimedOut);
    EXPECT_TRUE(client.lastReport().problem.startsWith(QStringLiteral("Le site ne répond pas : rien reçu de 127.0.0.1:")))
        << client.lastReport().problem.toStdString();
    EXPECT_EQ(readFile(target), stored("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST(PictureTimeLimit, SilentServerEndsWithTheReason)
{
    QTemporaryDir dir;
    LoopbackServer server({holdStep()});
    NetOptions options;
    options.timeLimitMs = 150;
    const std::int16_t stop = 0;
    const QString result = DownloadToFile(server.url(QStringLiteral("/x.jpg")), dir.filePath(QStringLiteral("i.jpg")), stop, options);
    EXPECT_EQ(result, QStringLiteral("Le fichier specifié ne peut être telechargé (le site ne répond pas : pas de réponse complète en 150 ms)"));
}

// A site that never stays silent long enough for the silence limit, but never finishes: the
// page and the picture alike end after four times the limit in all, with the reason.
struct TrickleCase {
    const char* name;
    bool picture;
    bool inTheHeaders;
};

class Trickling : public RealWeb, public ::testing::WithParamInterface<TrickleCase> {};

TEST_P(Trickling, EndsAtTheOverallLimit)
{
    const TrickleCase& c = GetParam();
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n";
    LoopbackServer server(c.inTheHeaders ? QList<Step>{trickle(head + QByteArray(100000, 'x'), 10)}
                                         : QList<Step>{send(head + "\r\n"), trickle(QByteArray(100000, 'x'), 10)});
    const int limitMs = 100; // never reached between two bytes; 400 ms in all
    if (c.picture) {
        QTemporaryDir dir;
        NetOptions options;
        options.timeLimitMs = limitMs;
        const std::int16_t stop = 0;
        const QString result = DownloadToFile(server.url(QStringLiteral("/x.jpg")), dir.filePath(QStringLiteral("i.jpg")), stop, options);
        EXPECT_EQ(result, QStringLiteral("Le fichier specifié ne peut être telechargé (le site envoie trop lentement : "
                                         "l'image n'est pas arrivée en 400 ms)"));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("i.jpg"))));
    } else {
        client.setTimeLimit(limitMs);
        EXPECT_EQ(download(server.url()), kDownloadTimedOut);
        EXPECT_TRUE(client.lastReport().problem.startsWith(QStringLiteral("Le site envoie trop lentement : 127.0.0.1:")))
            << client.lastReport().problem.toStdString();
        EXPECT_TRUE(client.lastReport().problem.endsWith(QStringLiteral("n'a pas tout envoyé en 400 ms")));
    }
}

INSTANTIATE_TEST_SUITE_P(Sites, Trickling,
                         ::testing::Values(TrickleCase{"PageBody", false, false}, TrickleCase{"PageHeaders", false, true},
                                           TrickleCase{"PictureBody", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- proxies ----

// A proxy that answers absolute-URI requests itself and tunnels CONNECT to the real server.
class TunnellingProxy : public QObject {
public:
    TunnellingProxy()
    {
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = server.nextPendingConnection()) {
                client->setParent(this);
                QObject::connect(client, &QTcpSocket::readyRead, this, [this, client] { onData(client); });
            }
        });
        server.listen(QHostAddress::LocalHost, 0);
    }
    QTcpServer server;
    QList<QByteArray> heads;

private:
    void onData(QTcpSocket* client)
    {
        if (QTcpSocket* upstream = tunnels.value(client)) {
            upstream->write(client->readAll());
            return;
        }
        QByteArray& head = pending[client];
        head += client->readAll();
        if (!head.contains("\r\n\r\n"))
            return;
        heads.append(head);
        if (!head.startsWith("CONNECT ")) {
            client->write(httpResponse("proxied\n"));
            client->disconnectFromHost();
            return;
        }
        const QByteArray hostPort = head.mid(8, head.indexOf(' ', 8) - 8);
        auto* upstream = new QTcpSocket(this);
        upstream->setProxy(QNetworkProxy::NoProxy);
        tunnels.insert(client, upstream);
        QObject::connect(upstream, &QTcpSocket::connected, this,
                         [client] { client->write("HTTP/1.1 200 Connection established\r\n\r\n"); });
        QObject::connect(upstream, &QTcpSocket::readyRead, this, [client, upstream] { client->write(upstream->readAll()); });
        QObject::connect(upstream, &QTcpSocket::disconnected, client, [client] { client->disconnectFromHost(); });
        upstream->connectToHost(QString::fromLatin1(hostPort.left(hostPort.lastIndexOf(':'))),
                                quint16(hostPort.mid(hostPort.lastIndexOf(':') + 1).toUInt()));
    }
    QHash<QTcpSocket*, QByteArray> pending;
    QHash<QTcpSocket*, QTcpSocket*> tunnels;
};

TEST_F(RealWeb, ProxyCarriesHttpAbsoluteAndHttpsThroughATunnel)
{
    const TestCertificateTrust trust;
    TunnellingProxy proxy;
    client.UseProxy = -1;
    client.ProxyHost = QStringLiteral("127.0.0.1");
    client.ProxyPort = QString::number(proxy.server.serverPort());

    ASSERT_EQ(download(QStringLiteral("http://films.example/p?q=1"), -1, 0), kDownloadDone);
    ASSERT_EQ(proxy.heads.size(), 1);
    EXPECT_TRUE(proxy.heads[0].startsWith("GET http://films.example/p?q=1 HTTP/1.0\r\nHost: films.example\r\n"));

    const QByteArray response = httpResponse("secret\n");
    LoopbackServer site({send(response), holdStep()}, false, true);
    ASSERT_EQ(download(site.url(QStringLiteral("/s"))), kDownloadDone);
    EXPECT_TRUE(proxy.heads.last().startsWith("CONNECT 127.0.0.1:" + QByteArray::number(site.port())));
    ASSERT_EQ(site.requests.size(), 1);
    EXPECT_TRUE(site.requests[0].startsWith("GET /s HTTP/1.1\r\n")); // not the absolute form: end-to-end TLS
    EXPECT_EQ(readFile(target), stored(response));

    // Behind the tunnel the certificate is still checked: it names 127.0.0.1, not localhost.
    LoopbackServer wrongName({send(response), holdStep()}, false, true);
    EXPECT_EQ(download(QStringLiteral("https://localhost:%1/").arg(wrongName.port())), kDownloadDone);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(readFile(target), "");

    // The picture download takes the same proxy.
    NetOptions options;
    options.proxy = ProxySetting{QStringLiteral("127.0.0.1"), proxy.server.serverPort()};
    const qsizetype before = proxy.heads.size();
    DownloadToFile(QStringLiteral("http://films.example/affiche.jpg"), dir.filePath(QStringLiteral("i.jpg")), stop, options);
    ASSERT_EQ(proxy.heads.size(), before + 1);
    EXPECT_TRUE(proxy.heads.last().startsWith("GET http://films.example/affiche.jpg HTTP/1.1\r\n"));
}

TEST_F(RealWeb, EnvironmentProxyIsNotUsedByThePageClient)
{
    const quint16 dead = closedPort();
    qputenv("http_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(dead));
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\ndirect"), closeStep()});
    // The picture download, which does follow the environment, must not make it leak.
    DownloadToFile(QStringLiteral("http://127.0.0.1:%1/x").arg(dead), dir.filePath(QStringLiteral("i.jpg")), stop);
    const std::int16_t code = download(server.url(), -1, 0);
    qunsetenv("http_proxy");
    EXPECT_EQ(code, kDownloadDone);
    EXPECT_EQ(readFile(target), stored("HTTP/1.0 200 OK\r\n\r\ndirect"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

// ---- certificates ----

TEST_F(RealWeb, SslCertFileNamesAnAuthorityToTrust)
{
    // Without the variable the test authority is unknown: the handshake is refused.
    LoopbackServer refused({send(httpResponse("x")), holdStep()}, false, true);
    EXPECT_EQ(download(refused.url()), kDownloadDone);
    EXPECT_EQ(messages().size(), 1);

    qputenv("SSL_CERT_FILE", TROUVEL_TEST_DATA_DIR "/data/loopback-cert.pem");
    LoopbackServer trusted({send(httpResponse("x")), holdStep()}, false, true);
    const std::int16_t code = download(trusted.url());
    qunsetenv("SSL_CERT_FILE");
    EXPECT_EQ(code, kDownloadDone);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString(); // the trusted fetch shows nothing
    EXPECT_EQ(client.lastReport().status, 200);
}

// ---- texts ----

TEST_F(RealWeb, SocketErrorsReadInFrench)
{
    ASSERT_TRUE(installQtFrenchTranslations()) << "qtbase_fr.qm missing (qt6-translations-l10n)";
    EXPECT_EQ(download(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort())), kDownloadDone);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_FALSE(messages()[0].contains(QStringLiteral("refused"))) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].contains(QStringLiteral("refus"), Qt::CaseInsensitive)) << messages()[0].toStdString();
}

} // namespace
} // namespace trouvel::net
