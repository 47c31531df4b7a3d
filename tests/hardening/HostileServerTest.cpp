// The page client against servers that misbehave: a page larger than most, silence, a trickle,
// a close inside the header, an overflowing chunk size, a reset. Each fetch ends, by itself or
// when the window sets Stop, and what it stored is what the server sent (or a prefix of it).
#include "net/NetTestSupport.h"

#include "net/SocketPageClient.h"
#include "net/LineEnds.h"

#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include <sys/socket.h>

namespace trouvel::net {
namespace {

using test::stored;

// Accepts one connection at a time on 127.0.0.1 and hands the socket to `answer` once the
// whole request has arrived. `answer` decides everything that follows.
class HostileServer : public QObject {
public:
    explicit HostileServer(std::function<void(QTcpSocket*)> answer)
        : answer_(std::move(answer))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    request_ += socket->readAll();
                    if (!answered_ && request_.contains("\r\n\r\n")) {
                        answered_ = true;
                        answer_(socket);
                    }
                });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/page").arg(server_.serverPort()); }

private:
    QTcpServer server_;
    std::function<void(QTcpSocket*)> answer_;
    QByteArray request_;
    bool answered_ = false;
};

class HostileFetch : public ::testing::Test {
protected:
    std::int16_t download(const QString& url) { return client.DownloadPage(url, target, -1, 1); }
    void stopSoon()
    {
        QTimer::singleShot(0, [this] { stop = -1; });
    }

    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("tmp.txt"));
    std::int16_t stop = 0;
    SocketPageClient client{stop};
    // The connection error the caller would show for the last fetch, if any.
    QStringList messages() const { return net::test::connectionMessages(client); }
};

// ---- large pages, streamed by the server in pieces as the client takes them ----

QByteArray lineOf(qint64 index)
{
    return QByteArray::number(index).rightJustified(1023, '.') + "\n";
}

struct LargeCase {
    const char* name;
    qint64 lines; // of 1,024 bytes
    bool stored;  // within the page client's default limit
};

class LargePage : public HostileFetch, public ::testing::WithParamInterface<LargeCase> {};

TEST_P(LargePage, StoredWholeOrRefusedAtTheLimit)
{
    const qint64 bodyBytes = GetParam().lines * 1024;
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(bodyBytes) + "\r\n\r\n";
    qint64 next = 0;
    HostileServer server([&](QTcpSocket* socket) {
        socket->write(head);
        auto feed = [&next, socket, total = GetParam().lines] {
            while (next < total && socket->bytesToWrite() < 256 * 1024)
                socket->write(lineOf(next++));
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, feed);
        feed();
    });

    if (GetParam().stored) {
        EXPECT_EQ(download(server.url()), kDownloadDone);
        EXPECT_TRUE(messages().isEmpty());
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ASSERT_EQ(file.size(), stored(head).size() + GetParam().lines * 1025);
        EXPECT_EQ(file.read(stored(head).size()), stored(head));
        file.seek(file.size() - 1025);
        EXPECT_EQ(file.read(1025), stored(lineOf(GetParam().lines - 1)));
    } else {
        try {
            download(server.url());
            FAIL() << "a response over the limit was taken";
        } catch (const DownloadError& e) {
            EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QStringLiteral("64 Mio")), -1) << e.what();
        }
        EXPECT_LE(QFile(target).size(), kDefaultMaxDownloadBytes + 64 * 1024);
        EXPECT_LT(next, GetParam().lines); // the client stopped reading before the end
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LargePage,
                         ::testing::Values(LargeCase{"SixtyMiB", 60 * 1024, true},
                                           LargeCase{"SeventyMiBOverTheLimit", 70 * 1024, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- servers that misbehave ----

TEST_F(HostileFetch, ServerThatNeverAnswersEndsWithStop)
{
    HostileServer server([this](QTcpSocket*) { stopSoon(); });
    EXPECT_EQ(download(server.url()), kDownloadStopped);
    EXPECT_EQ(test::readFile(target), QByteArray());
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(HostileFetch, OneByteASecondEndsWithStopAfterAFewBytes)
{
    const QByteArray response = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    int sent = 0;
    HostileServer server([&](QTcpSocket* socket) {
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [&, socket] {
            socket->write(response.mid(sent++, 1));
            if (sent == 3)
                stopSoon();
        });
        timer->start(1000);
    });
    EXPECT_EQ(download(server.url()), kDownloadStopped);
    EXPECT_EQ(sent, 3);
    EXPECT_TRUE(response.left(3).startsWith(test::readFile(target))) << test::readFile(target).toStdString();
}

struct EndCase {
    const char* name;
    QByteArray sent;
    bool reset;       // abortive close after the bytes, else an orderly one
    QString message;  // start of the message shown, "" for none
};

class ServerEnds : public HostileFetch, public ::testing::WithParamInterface<EndCase> {};

// The client takes what came, shows the socket error if there was one, and returns.
TEST_P(ServerEnds, FetchEndsWithWhatArrived)
{
    HostileServer server([](QTcpSocket* socket) {
        socket->write(GetParam().sent);
        socket->flush();
        if (GetParam().reset) {
            const linger abortive{1, 0}; // the close sends a reset
            ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            socket->abort();
        } else {
            socket->disconnectFromHost();
        }
    });
    EXPECT_EQ(download(server.url()), kDownloadDone);
    if (GetParam().message.isEmpty()) {
        EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
        EXPECT_EQ(test::readFile(target), stored(GetParam().sent));
    } else {
        ASSERT_EQ(messages().size(), 1) << test::readFile(target).toStdString();
        EXPECT_TRUE(messages().front().startsWith(GetParam().message)) << messages().front().toStdString();
        EXPECT_TRUE(stored(GetParam().sent).startsWith(test::readFile(target)));
    }
}

const QString kCutShort = QStringLiteral("Une erreur est survenue lors de la connection :\r\n10054 : ");

INSTANTIATE_TEST_SUITE_P(
    Servers, ServerEnds,
    ::testing::Values(
        // A close before the response's announced end is shown as a broken connection.
        EndCase{"CloseMidHeader", "HTTP/1.1 200 OK\r\nContent-Le", false, kCutShort},
        EndCase{"CloseMidStatusLine", "HTTP/1.1 2", false, kCutShort},
        EndCase{"ResetMidHeader", "HTTP/1.1 200 OK\r\nContent-Length: 5", true, kCutShort},
        // Sizes that do not fit leave the end to the server's close.
        EndCase{"ChunkSizeOverflow", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\nab",
                false, {}},
        EndCase{"ContentLengthOverflow", "HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551616\r\n\r\nab",
                false, {}},
        // The socket layer reports a reset as a close: with nothing received it is an empty page.
        EndCase{"ResetBeforeAnyByte", "", true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A chunk size that overflows leaves the end of the response to the server's close: with a
// server that keeps the connection open, Stop ends the fetch.
TEST_F(HostileFetch, ChunkSizeOverflowOnAnOpenConnectionEndsWithStop)
{
    const QByteArray sent = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\nab";
    HostileServer server([&](QTcpSocket* socket) {
        socket->write(sent);
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this] { stopSoon(); });
    });
    EXPECT_EQ(download(server.url()), kDownloadStopped);
    EXPECT_TRUE(stored(sent).startsWith(test::readFile(target)));
}

} // namespace
} // namespace trouvel::net
