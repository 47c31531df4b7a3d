// The page client against a loopback server: request bytes, stored responses, result codes,
// errors, stopping and the end of a response on a connection the server keeps open.
#include "LoopbackServer.h"
#include "NetTestSupport.h"

#include "net/SocketPageClient.h"
#include "net/LineEnds.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace trouvel::net {
namespace {

using namespace test;




class PageClient : public ::testing::Test {
protected:
    std::int16_t download(const QString& url, std::int16_t get = -1, std::int16_t version = 0)
    {
        return client.DownloadPage(url, target, get, version);
    }

    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("tmp.txt"));
    std::int16_t stop = 0;
    SocketPageClient client{stop};
    // The connection error the caller would show for the last fetch, if any.
    QStringList messages() const { return connectionMessages(client); }
};

// ---- the request as the server receives it ----

struct RequestCase {
    const char* name;
    QString pathAndQuery;
    std::int16_t get;
    std::int16_t version;
    QByteArray expected; // "{authority}" stands for 127.0.0.1:port
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class RequestOnTheWire : public PageClient, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(RequestOnTheWire, ServerReceivesExactlyTheseBytes)
{
    const RequestCase& c = GetParam();
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\nok"), closeStep()});
    ASSERT_EQ(download(server.url(c.pathAndQuery), c.get, c.version), kDownloadDone);
    ASSERT_EQ(server.requests.size(), 1);
    QByteArray expected = c.expected;
    expected.replace("{authority}", "127.0.0.1:" + QByteArray::number(server.port()));
    expected.replace("{get}", getHeaders());
    EXPECT_EQ(server.requests.front(), expected);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}


INSTANTIATE_TEST_SUITE_P(
    EdgeList, RequestOnTheWire,
    ::testing::Values(
        RequestCase{"GetQueryWithBlank", "/s?q=a b", -1, 0, "GET /s?q=a+b HTTP/1.0\r\nHost: {authority}\r\n{get}\r\n"},
        RequestCase{"GetNoQuery", "/s", -1, 0, "GET /s HTTP/1.0\r\nHost: {authority}\r\n{get}\r\n"},
        RequestCase{"FragmentSentNowhere", "/s?a=1#bas", -1, 0, "GET /s?a=1 HTTP/1.0\r\nHost: {authority}\r\n{get}\r\n"},
        RequestCase{"Version1", "/v", -1, 1, "GET /v HTTP/1.1\r\nHost: {authority}\r\n{get}\r\n"},
        RequestCase{"Version2", "/v", -1, 2, "GET /v HTTP/1.1\r\nHost: {authority}\r\n{get}\r\n"},
        RequestCase{"VersionMinus1", "/v", -1, -1, "GET /v HTTP/1.1\r\nHost: {authority}\r\n{get}\r\n"},
        RequestCase{"PostBody", "/f?x=1&y=2 3", 0, 0,
                    "POST /f HTTP/1.0\r\n" + kPostHeaders
                        + "Host: {authority}\r\nContent-Length: 9\r\n\r\nx=1&y=2+3\r\n"},
        RequestCase{"PostNoQuery", "/f", 0, 1,
                    "POST /f HTTP/1.1\r\n" + kPostHeaders + "Host: {authority}\r\nContent-Length: 0\r\n\r\n\r\n"},
        RequestCase{"PostUtf8LengthInBytes", QStringLiteral("/f?t=\u00e9"), 0, 0,
                    "POST /f HTTP/1.0\r\n" + kPostHeaders
                        + "Host: {authority}\r\nContent-Length: 4\r\n\r\nt=\xc3\xa9\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageClient, ProxyGetsTheAbsoluteAddressAndTheSiteAuthority)
{
    LoopbackServer proxy({send("HTTP/1.0 200 OK\r\n\r\nvia proxy"), closeStep()});
    client.UseProxy = -1;
    client.ProxyHost = QStringLiteral("127.0.0.1");
    client.ProxyPort = QString::number(proxy.port());
    ASSERT_EQ(download(QStringLiteral("http://films.example:8080/p?q=a b#x")), kDownloadDone);
    ASSERT_EQ(proxy.requests.size(), 1);
    EXPECT_EQ(proxy.requests.front(), "GET http://films.example:8080/p?q=a+b HTTP/1.0\r\nHost: films.example:8080\r\n" + getHeaders() + "\r\n");
    EXPECT_EQ(readFile(target), stored("HTTP/1.0 200 OK\r\n\r\nvia proxy"));
}

TEST_F(PageClient, ProxyPortNotANumberIsAnError)
{
    client.UseProxy = -1;
    client.ProxyHost = QStringLiteral("127.0.0.1");
    client.ProxyPort = QStringLiteral("huit");
    EXPECT_THROW(download(QStringLiteral("http://site/")), DownloadError);
}

// ---- codes returned before anything is opened ----

struct EarlyCase {
    const char* name;
    QString url;
    bool useProxy;
    QString proxyHost, proxyPort;
    std::int16_t code;
};

void PrintTo(const EarlyCase& c, std::ostream* os) { *os << c.name; }

class EarlyReturn : public PageClient, public ::testing::WithParamInterface<EarlyCase> {};

TEST_P(EarlyReturn, LeavesTheTargetAndTheNetworkAlone)
{
    const EarlyCase& c = GetParam();
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\nx"), closeStep()});
    writeFile(target, "previous page");
    client.UseProxy = c.useProxy ? -1 : 0;
    client.ProxyHost = c.proxyHost;
    client.ProxyPort = c.proxyPort == QLatin1String("{port}") ? QString::number(server.port()) : c.proxyPort;
    QString url = c.url;
    url.replace(QLatin1String("{base}"), server.url(QString()));
    EXPECT_EQ(download(url), c.code);
    EXPECT_EQ(readFile(target), "previous page");
    EXPECT_EQ(server.connections, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, EarlyReturn,
    ::testing::Values(EarlyCase{"EmptyAddress", "", false, {}, {}, kDownloadBadAddress},
                      EarlyCase{"AmpersandFirst", "&q=1", false, {}, {}, kDownloadBadAddress},
                      EarlyCase{"HeaderInjection", "{base}/p\r\nX-Evil: 1", false, {}, {}, kDownloadBadAddress},
                      EarlyCase{"NulInAddress", QStringLiteral("{base}/p") + QChar(0) + QStringLiteral("x"), false, {},
                                {}, kDownloadBadAddress},
                      EarlyCase{"ProxyPortEmptyBeforeAddress", "", true, "127.0.0.1", "", kDownloadProxyIncomplete},
                      EarlyCase{"ProxyHostEmpty", "{base}/p", true, "", "{port}", kDownloadProxyIncomplete}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- what is stored ----

TEST_F(PageClient, ResponseStoredWithCrLfAcrossPieces)
{
    LoopbackServer server({pieces("HTTP/1.0 200 OK\r\n\r\nA\r"), send("\nB\n"), pieces("C\nD"), closeStep()});
    ASSERT_EQ(download(server.url()), kDownloadDone);
    EXPECT_EQ(readFile(target), "HTTP/1.0 200 OK\r\r\n\r\r\nA\r\r\nB\r\nC\r\nD");
}

TEST_F(PageClient, ExistingLongerTargetIsEmptiedFirst)
{
    writeFile(target, QByteArray(5000, 'x'));
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\nshort"), closeStep()});
    ASSERT_EQ(download(server.url()), kDownloadDone);
    EXPECT_EQ(readFile(target), stored("HTTP/1.0 200 OK\r\n\r\nshort"));
}

TEST_F(PageClient, StopFlagIsClearedWhenAFetchStarts)
{
    stop = -1;
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\nok"), closeStep()});
    EXPECT_EQ(download(server.url()), kDownloadDone);
    EXPECT_EQ(stop, 0);
}

// ---- responses on a connection the server keeps open ----

struct KeepAliveCase {
    const char* name;
    QList<Step> body; // followed by Hold
    QByteArray raw;   // what the server sent
};

void PrintTo(const KeepAliveCase& c, std::ostream* os) { *os << c.name; }

class KeepAlive : public PageClient, public ::testing::WithParamInterface<KeepAliveCase> {};

TEST_P(KeepAlive, EndsWhenTheResponseIsWholeNotAtTheClose)
{
    const KeepAliveCase& c = GetParam();
    QList<Step> script = c.body;
    script.append(holdStep());
    LoopbackServer server(script);
    ASSERT_EQ(download(server.url(), -1, 1), kDownloadDone);
    EXPECT_FALSE(server.closedByServer) << "the client waited for the server to close";
    EXPECT_EQ(readFile(target), stored(c.raw));
    EXPECT_TRUE(messages().isEmpty());
}

const QByteArray kChunkedResponse = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                    "6\r\n<html>\r\nd\r\nline1\nline2\r\n\r\n0\r\n\r\n";
// Stored: the headers as received, the chunks joined.
const QByteArray kChunkedDecoded = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n<html>line1\nline2\r\n";

INSTANTIATE_TEST_SUITE_P(
    Framings, KeepAlive,
    ::testing::Values(
        KeepAliveCase{"ContentLength", {send(httpResponse("<p>\nfilm\n</p>"))}, httpResponse("<p>\nfilm\n</p>")},
        KeepAliveCase{"Chunked", {send(kChunkedResponse)}, kChunkedDecoded},
        KeepAliveCase{"OneBytePieces", {pieces(httpResponse("a\nb"))}, httpResponse("a\nb")},
        KeepAliveCase{"ChunkedInOneBytePieces", {pieces(kChunkedResponse)}, kChunkedDecoded},
        KeepAliveCase{"NoContent", {send("HTTP/1.1 204 No Content\r\n\r\n")}, "HTTP/1.1 204 No Content\r\n\r\n"},
        KeepAliveCase{"InterimThenFinal",
                      {send("HTTP/1.1 100 Continue\r\n\r\n"), send(httpResponse("x"))},
                      "HTTP/1.1 100 Continue\r\n\r\n" + httpResponse("x")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageClient, KeepAliveStoresWhatACloseTerminatedTransferStores)
{
    const QByteArray response = httpResponse("<title>Film</title>\n<p>r\xe9sum\xe9</p>\n");
    LoopbackServer closing({send(response), closeStep()});
    ASSERT_EQ(download(closing.url(), -1, 1), kDownloadDone);
    const QByteArray closed = readFile(target);
    LoopbackServer keeping({send(response), holdStep()});
    ASSERT_EQ(download(keeping.url(), -1, 1), kDownloadDone);
    EXPECT_EQ(readFile(target), closed);
}

TEST_F(PageClient, RetryAfterOfTheAnswerIsReported)
{
    LoopbackServer server({send(httpResponse("plus tard", "429 Too Many Requests", "Retry-After: 2\r\n"))});
    ASSERT_EQ(download(server.url(), -1, 1), kDownloadDone);
    EXPECT_EQ(client.lastReport().status, 429);
    EXPECT_EQ(client.lastReport().retryAfter, "2");
    EXPECT_EQ(client.lastReport().socketError, 0);
}

// ---- failures ----

TEST_F(PageClient, RefusedConnectionShowsTheMessageAndLeavesAnEmptyFile)
{
    const quint16 freePort = closedPort();
    ASSERT_NE(freePort, 0);
    writeFile(target, "old");
    EXPECT_EQ(download(QStringLiteral("http://127.0.0.1:%1/").arg(freePort)), kDownloadDone);
    EXPECT_EQ(readFile(target), "");
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().startsWith(QStringLiteral("Une erreur est survenue lors de la connection :\r\n10061 : ")))
        << messages().front().toStdString();
    EXPECT_GT(messages().front().size(), QStringLiteral("Une erreur est survenue lors de la connection :\r\n10061 : ").size());
    EXPECT_EQ(client.lastReport().socketError, 10061);
}

TEST_F(PageClient, AddressWithoutHostShowsTheMessage)
{
    writeFile(target, "old");
    EXPECT_EQ(download(QStringLiteral("page.html")), kDownloadDone);
    EXPECT_EQ(readFile(target), "");
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().startsWith(QStringLiteral("Une erreur est survenue lors de la connection :\r\n")));
}

TEST_F(PageClient, ResetMidBodyShowsTheMessage)
{
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial\n";
    LoopbackServer server({send(head), resetStep()});
    EXPECT_EQ(download(server.url(), -1, 1), kDownloadDone);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().startsWith(QStringLiteral("Une erreur est survenue lors de la connection :\r\n10054 : ")));
    EXPECT_EQ(client.lastReport().socketError, 10054);
    // What had arrived before the reset is kept (the reset may discard some of it).
    EXPECT_TRUE(stored(head).startsWith(readFile(target)));
}

TEST_F(PageClient, ResponseOverTheLimitIsAnError)
{
    client.setMaxResponseBytes(1000);
    LoopbackServer server({send(httpResponse(QByteArray(5000, 'a'))), holdStep()});
    try {
        download(server.url(), -1, 1);
        FAIL() << "no error for a response over the limit";
    } catch (const DownloadError& e) {
        EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QLatin1String("1000 octets")), -1) << e.what();
    }
    EXPECT_LE(readFile(target).size(), 2000);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PageClient, ResponseAtTheLimitIsStored)
{
    const QByteArray response = httpResponse(QByteArray(300, 'a'));
    client.setMaxResponseBytes(response.size());
    LoopbackServer server({send(response), closeStep()});
    EXPECT_EQ(download(server.url()), kDownloadDone);
    EXPECT_EQ(readFile(target), stored(response));
}

TEST_F(PageClient, UnwritableTargetIsAnError)
{
    target = dir.filePath(QStringLiteral("missing/folder/tmp.txt"));
    LoopbackServer server({send("HTTP/1.0 200 OK\r\n\r\nx"), closeStep()});
    EXPECT_THROW(download(server.url()), DownloadError);
    EXPECT_EQ(server.connections, 0);
}

TEST_F(PageClient, FullDiskIsAnError)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    target = QStringLiteral("/dev/full");
    LoopbackServer server({send(httpResponse("page")), holdStep()});
    try {
        download(server.url(), -1, 1);
        FAIL() << "no error when the page cannot be written";
    } catch (const DownloadError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Impossible d'écrire le fichier /dev/full : ")))
            << e.what();
    }
}

// ---- the window acting during the waits ----

TEST_F(PageClient, StopDuringTheResponseWaitReturns4)
{
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nbegin";
    LoopbackServer server({send(head), holdStep()});
    server.onRequest = [this] { stop = -1; };
    EXPECT_EQ(download(server.url(), -1, 1), kDownloadStopped);
    EXPECT_FALSE(server.closedByServer);
    EXPECT_TRUE(stored(head).startsWith(readFile(target)));
}

TEST_F(PageClient, CloseSocketDuringTheResponseWaitEndsIt)
{
    LoopbackServer server({holdStep()});
    server.onRequest = [this] { client.closeSocket(); };
    EXPECT_EQ(download(server.url(), -1, 1), kDownloadDone);
    EXPECT_FALSE(server.closedByServer);
    EXPECT_TRUE(messages().isEmpty());
}

// A TLS connection is made only once the handshake is through; a server that accepts and
// then says nothing keeps the client in its connection wait.
TEST_F(PageClient, CloseSocketDuringTheConnectionWaitEndsIt)
{
    LoopbackServer server({holdStep()}, true);
    server.onConnection = [this] { client.closeSocket(); };
    EXPECT_EQ(download(QStringLiteral("https://127.0.0.1:%1/").arg(server.port())), kDownloadDone);
    EXPECT_EQ(server.connections, 1);
    EXPECT_TRUE(server.requests.front().isEmpty() || !server.requests.front().startsWith("GET"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PageClient, StopDuringTheConnectionWaitReturns4)
{
    LoopbackServer server({holdStep()}, true);
    server.onConnection = [this] { stop = -1; };
    EXPECT_EQ(download(QStringLiteral("https://127.0.0.1:%1/").arg(server.port())), kDownloadStopped);
    EXPECT_EQ(readFile(target), "");
}

TEST_F(PageClient, HttpsToAPlainServerShowsTheHandshakeError)
{
    LoopbackServer server({send("HTTP/1.0 400 Bad Request\r\n\r\n"), closeStep()}, true);
    EXPECT_EQ(download(QStringLiteral("https://127.0.0.1:%1/").arg(server.port())), kDownloadDone);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().startsWith(QStringLiteral("Une erreur est survenue lors de la connection :\r\n")));
    // Nothing was sent in clear.
    EXPECT_FALSE(server.requests.front().contains("GET"));
}

// A click that starts a second fetch while the first one waits: the second one ends the
// first, and the file holds the second page only.
TEST_F(PageClient, NestedFetchEndsTheWaitingOneAndKeepsItsPage)
{
    const QByteArray second = "HTTP/1.0 200 OK\r\n\r\nsecond page";
    LoopbackServer secondServer({send(second), closeStep()});
    LoopbackServer firstServer({send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + QByteArray(3000, 'f')),
                                holdStep()});
    std::int16_t nestedCode = -99;
    bool nested = false;
    // The "click" comes a few turns of the event loop after the first page's bytes were sent,
    // so that the client has taken them in by then.
    std::function<void(int)> clickAfter = [&](int turns) {
        QTimer::singleShot(0, &firstServer, [&, turns] {
            if (turns > 0) {
                clickAfter(turns - 1);
                return;
            }
            nested = true;
            nestedCode = download(secondServer.url());
        });
    };
    firstServer.onRequest = [&] { clickAfter(5); };
    EXPECT_EQ(download(firstServer.url(), -1, 1), kDownloadDone);
    EXPECT_TRUE(nested);
    EXPECT_EQ(nestedCode, kDownloadDone);
    EXPECT_EQ(readFile(target), stored(second));
    EXPECT_TRUE(messages().isEmpty());
}

// ---- https ----

TEST_F(PageClient, HttpsFetchesOverTls)
{
    const TestCertificateTrust trust;
    const QByteArray response = httpResponse("secret\n");
    LoopbackServer server({send(response), holdStep()}, false, true);
    ASSERT_EQ(download(server.url(QStringLiteral("/s?q=a b")), -1, 1), kDownloadDone);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests.front(),
              "GET /s?q=a+b HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n" + getHeaders() + "\r\n");
    EXPECT_EQ(readFile(target), stored(response));
}

TEST_F(PageClient, HttpsRefusesACertificateForAnotherName)
{
    // The test certificate names 127.0.0.1 only, not "localhost".
    const TestCertificateTrust trust;
    LoopbackServer server({send(httpResponse("x")), holdStep()}, false, true);
    EXPECT_EQ(download(QStringLiteral("https://localhost:%1/").arg(server.port())), kDownloadDone);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().startsWith(QStringLiteral("Une erreur est survenue lors de la connection :\r\n")));
    EXPECT_EQ(readFile(target), "");
    EXPECT_EQ(server.connections, 1); // the handshake was made, and refused by the client
    EXPECT_TRUE(server.requests.front().isEmpty());
}

} // namespace
} // namespace trouvel::net
