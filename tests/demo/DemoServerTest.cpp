// The demo site over real loopback connections: what an HTTP/1.0 or HTTP/1.1 client sees.
#include "site/DemoSite.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace trouvel::demo;

namespace {

// Runs the event loop until done() holds or the socket closes; a guard timer stops a hung test.
void runUntil(QTcpSocket& socket, QByteArray& received, const std::function<bool()>& done)
{
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        received += socket.readAll();
        if (done && done())
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
        ADD_FAILURE() << "no answer";
        loop.quit();
    });
    guard.start(10000);
    if (!(done && done()) && socket.state() == QAbstractSocket::ConnectedState)
        loop.exec();
    received += socket.readAll();
}

// The body of one response, undoing chunked transfer.
QByteArray bodyOf(const QByteArray& response)
{
    const qsizetype headEnd = response.indexOf("\r\n\r\n");
    const QByteArray head = response.left(headEnd);
    QByteArray rest = response.mid(headEnd + 4);
    if (!head.contains("Transfer-Encoding: chunked"))
        return rest;
    QByteArray body;
    for (;;) {
        const qsizetype eol = rest.indexOf("\r\n");
        bool ok = false;
        const qsizetype size = rest.left(eol).toLongLong(&ok, 16);
        if (!ok || size == 0)
            return body;
        body += rest.mid(eol + 2, size);
        rest = rest.mid(eol + 2 + size + 2);
    }
}

bool responseComplete(const QByteArray& data, int responses = 1)
{
    // Enough for these tests: count the ends of chunked bodies or rely on Content-Length.
    int complete = 0;
    qsizetype at = 0;
    while (complete < responses) {
        const qsizetype headEnd = data.indexOf("\r\n\r\n", at);
        if (headEnd < 0)
            return false;
        const QByteArray head = data.mid(at, headEnd - at);
        if (head.contains("Transfer-Encoding: chunked")) {
            const qsizetype end = data.indexOf("\r\n0\r\n\r\n", headEnd);
            if (end < 0)
                return false;
            at = end + 7;
        } else {
            const qsizetype l = head.indexOf("Content-Length: ");
            const qsizetype length = head.mid(l + 16, head.indexOf("\r\n", l) - l - 16).toLongLong();
            if (data.size() < headEnd + 4 + length)
                return false;
            at = headEnd + 4 + length;
        }
        ++complete;
    }
    return true;
}

class DemoServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SiteOptions options;
        options.port = 0;
        options.idleTimeoutMs = idleMs;
        ASSERT_TRUE(site.listen(options)) << site.errorString().toStdString();
    }

    void connectSocket(QTcpSocket& socket)
    {
        socket.connectToHost(QHostAddress::LocalHost, site.port());
        ASSERT_TRUE(socket.waitForConnected(5000));
    }

    int idleMs = 15000;
    DemoSite site{bundledFilmCatalogue()};
};

TEST_F(DemoServerTest, Http10AnswersWithLengthAndCloses)
{
    QTcpSocket socket;
    connectSocket(socket);
    socket.write("GET /recherche?titre=Nord/Sud HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray received;
    runUntil(socket, received, {});
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState) << "the server closes after an HTTP/1.0 answer";
    EXPECT_TRUE(received.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(received.contains("Content-Length: "));
    EXPECT_FALSE(received.contains("chunked"));
    EXPECT_TRUE(bodyOf(received).contains("href=\"/film/108\""));
}

TEST_F(DemoServerTest, Http11KeepsTheConnectionAndChunksTheSameBody)
{
    QTcpSocket old;
    connectSocket(old);
    old.write("GET /recherche?titre=les+oiseaux+de+passage HTTP/1.0\r\n\r\n");
    QByteArray reference;
    runUntil(old, reference, {});

    QTcpSocket socket;
    connectSocket(socket);
    socket.write("GET /recherche?titre=les+oiseaux+de+passage HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray first;
    runUntil(socket, first, [&] { return responseComplete(first); });
    ASSERT_EQ(socket.state(), QAbstractSocket::ConnectedState) << "HTTP/1.1 keeps the connection open";
    EXPECT_TRUE(first.contains("Transfer-Encoding: chunked\r\n"));
    EXPECT_EQ(bodyOf(first), bodyOf(reference));
    EXPECT_EQ(bodyOf(first).count("class=\"lien-film\""), 3);

    // A second request on the same connection, a POST followed by the stray CR LF some
    // clients add, then a third pipelined behind it.
    socket.write("POST /recherche HTTP/1.1\r\nContent-Length: 14\r\n\r\ntitre=Nord/Sud\r\n"
                 "GET /film/108 HTTP/1.1\r\nConnection: close\r\n\r\n");
    QByteArray more;
    runUntil(socket, more, {});
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState) << "closed after Connection: close";
    ASSERT_TRUE(responseComplete(more, 2));
    const qsizetype second = more.indexOf("HTTP/1.1 200 OK", 1);
    ASSERT_GT(second, 0);
    EXPECT_TRUE(bodyOf(more.left(second)).contains("href=\"/film/108\""));
    EXPECT_TRUE(more.mid(second).contains("Connection: close\r\n"));
    EXPECT_TRUE(bodyOf(more.mid(second)).contains("<h1 class=\"titre-film\">Nord/Sud</h1>"));
    EXPECT_EQ(site.requestCount(), 4);
}

TEST_F(DemoServerTest, MalformedRequestGets400AndTheConnectionCloses)
{
    QTcpSocket socket;
    connectSocket(socket);
    socket.write("BONJOUR\r\n\r\n");
    QByteArray received;
    runUntil(socket, received, {});
    EXPECT_TRUE(received.startsWith("HTTP/1.1 400 Bad Request\r\n"));
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState);
}

TEST_F(DemoServerTest, HeadSendsHeadersOnly)
{
    QTcpSocket socket;
    connectSocket(socket);
    socket.write("HEAD /film/101 HTTP/1.0\r\n\r\n");
    QByteArray received;
    runUntil(socket, received, {});
    EXPECT_TRUE(received.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(received.endsWith("\r\n\r\n"));
    EXPECT_FALSE(received.contains("<html"));
}

class IdleServerTest : public DemoServerTest {
protected:
    IdleServerTest() { idleMs = 50; }
};

TEST_F(IdleServerTest, IdleConnectionIsClosed)
{
    QTcpSocket socket;
    connectSocket(socket);
    QByteArray received;
    runUntil(socket, received, {});
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState);
    EXPECT_TRUE(received.isEmpty());
}

} // namespace
