// The picture download against a loopback server: sizes, replacement of the target only
// after a whole download, the failure texts, stopping, redirects and the system proxy.
#include "LoopbackServer.h"
#include "NetTestSupport.h"

#include "net/PictureDownload.h"
#include "support/ZlibCompress.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace trouvel::net {
namespace {

using namespace test;

const QString kCannotDownload = QStringLiteral("Le fichier specifié ne peut être telechargé");



QByteArray gzipped(const QByteArray& data)
{
    return trouvel::testsupport::zlibCompress(data, 31);
}

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

class PictureDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The system proxy settings come from these; the loopback server is reached directly.
        for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "no_proxy"})
            qunsetenv(name);
        writeFile(target, kOldPicture);
    }

    QString download(const QString& url, qint64 maxBytes = kDefaultMaxDownloadBytes, int timeLimitMs = kDefaultTimeLimitMs)
    {
        NetOptions options;
        options.maxBytes = maxBytes;
        options.timeLimitMs = timeLimitMs;
        return DownloadToFile(url, target, stop, options);
    }

    // Files left in the folder besides the target (a temporary file not cleaned up).
    QStringList strayFiles() const
    {
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(QStringLiteral("image.jpg"));
        return files;
    }

    const QByteArray kOldPicture = QByteArray(4096, 'o');
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("image.jpg"));
    std::int16_t stop = 0;
};

struct SizeCase {
    const char* name;
    qsizetype size;
    bool chunked;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class PictureSizes : public PictureDownload, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(PictureSizes, TargetReplacedByExactlyTheResource)
{
    const SizeCase& c = GetParam();
    const QByteArray body = pattern(c.size);
    QByteArray response;
    if (c.chunked) {
        response = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        if (!body.isEmpty())
            response += QByteArray::number(body.size(), 16) + "\r\n" + body + "\r\n";
        response += "0\r\n\r\n";
    } else {
        response = httpResponse(body, "200 OK", "Content-Type: image/jpeg\r\n");
    }
    LoopbackServer server({send(response), holdStep()});
    EXPECT_EQ(download(server.url(QStringLiteral("/poster.jpg"))), QString());
    EXPECT_EQ(readFile(target), body);
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(',').toStdString();
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(server.requests.front().startsWith("GET /poster.jpg HTTP/1.1\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, PictureSizes,
                         ::testing::Values(SizeCase{"ZeroBytes", 0, false}, SizeCase{"Exactly2048", 2048, false},
                                           SizeCase{"ShorterThanOldTarget", 100, false},
                                           SizeCase{"Large", 3 * 1024 * 1024 + 17, false},
                                           SizeCase{"ChunkedBinary", 70000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    QList<Step> script;
    QString path;
    qint64 maxBytes;
    QString expectedStart;
    int timeLimitMs = kDefaultTimeLimitMs;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class PictureFailures : public PictureDownload, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PictureFailures, OldPictureStaysInPlace)
{
    const FailureCase& c = GetParam();
    LoopbackServer server(c.script);
    const QString message = download(server.url(c.path), c.maxBytes, c.timeLimitMs);
    EXPECT_TRUE(message.startsWith(c.expectedStart)) << message.toStdString();
    EXPECT_EQ(readFile(target), kOldPicture);
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(',').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PictureFailures,
    ::testing::Values(
        FailureCase{"NotFound", {send(httpResponse("<html>404</html>", "404 Not Found")), holdStep()}, "/x.jpg",
                    kDefaultMaxDownloadBytes, kCannotDownload + QStringLiteral(" (HTTP 404 Not Found)")},
        FailureCase{"ServerError", {send(httpResponse("oops", "500 Internal Server Error")), closeStep()}, "/x.jpg",
                    kDefaultMaxDownloadBytes, kCannotDownload + QStringLiteral(" (HTTP 500 Internal Server Error)")},
        FailureCase{"ResetMidBody",
                    {send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + pattern(5000)), resetStep()}, "/x.jpg",
                    kDefaultMaxDownloadBytes, kCannotDownload},
        FailureCase{"OverTheLimit", {send(httpResponse(pattern(10000))), holdStep()}, "/x.jpg", 4096,
                    QStringLiteral("Le fichier dépasse la taille maximale autorisée (4096 octets)")},
        FailureCase{"OverTheLimitWithoutLength", {send("HTTP/1.0 200 OK\r\n\r\n" + pattern(10000)), holdStep()},
                    "/x.jpg", 4096, QStringLiteral("Le fichier dépasse la taille maximale autorisée")},
        // A small body that inflates without end stops at the limit at once, whatever the
        // silence limit: the server holds the connection open after it.
        FailureCase{"GzipBomb", {send(httpResponse(gzipped(QByteArray(100 << 20, '\0')), "200 OK", "Content-Encoding: gzip\r\n")), holdStep()},
                    "/x.jpg", kDefaultMaxDownloadBytes, QStringLiteral("Le fichier dépasse la taille maximale autorisée (64 Mio)"), 5000},
        FailureCase{"CorruptGzip", {send(httpResponse("pas du gzip", "200 OK", "Content-Encoding: gzip\r\n")), closeStep()},
                    "/x.jpg", kDefaultMaxDownloadBytes,
                    kCannotDownload + QStringLiteral(" (le contenu compressé (gzip) de l'image est illisible)")},
        FailureCase{"RedirectLoop", {send(httpResponse("", "302 Found", "Location: /x.jpg\r\n")), closeStep()}, "/x.jpg",
                    kDefaultMaxDownloadBytes, kCannotDownload + QStringLiteral(" (boucle de redirection")},
        FailureCase{"EndlessHeaders", {send("HTTP/1.1 200 OK\r\n" + QByteArray("X-Remplissage: aaaaaaaaaaaaaaaaaaaaaaaaa\r\n").repeated(40000)), holdStep()},
                    "/x.jpg", kDefaultMaxDownloadBytes, kCannotDownload + QStringLiteral(" (le site ne répond pas : pas de réponse complète en 2 s)"), 2000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PictureDownload, RefusedConnectionCannotDownload)
{
    const quint16 freePort = closedPort();
    ASSERT_NE(freePort, 0);
    // The described text first, then the reason in French (not Qt's own text).
    const QString result = download(QStringLiteral("http://127.0.0.1:%1/x.jpg").arg(freePort));
    EXPECT_EQ(result, kCannotDownload + QStringLiteral(" (connexion refusée par 127.0.0.1)"));
    EXPECT_EQ(readFile(target), kOldPicture);
}

TEST_F(PictureDownload, UnknownCertificateIsNamedInFrench)
{
    LoopbackServer server({send(httpResponse("x")), holdStep()}, false, true);
    const QString result = download(server.url(QStringLiteral("/x.jpg")));
    EXPECT_TRUE(result.startsWith(kCannotDownload + QStringLiteral(" (connexion sécurisée refusée : certificat "))) << result.toStdString();
    EXPECT_EQ(readFile(target), kOldPicture);
}

struct AddressCase {
    const char* name;
    QString url;
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }

class PictureAddresses : public PictureDownload, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(PictureAddresses, OnlyWebAddressesAreFetched)
{
    EXPECT_EQ(download(GetParam().url), kCannotDownload);
    EXPECT_EQ(readFile(target), kOldPicture);
}

INSTANTIATE_TEST_SUITE_P(Addresses, PictureAddresses,
                         ::testing::Values(AddressCase{"Empty", ""}, AddressCase{"LocalFile", "file:///etc/hostname"},
                                           AddressCase{"Resource", "qrc:/image.jpg"},
                                           AddressCase{"NoHost", "http:///x.jpg"},
                                           AddressCase{"Relative", "images/x.jpg"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PictureDownload, StopEndsTheDownload)
{
    LoopbackServer server({send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + pattern(3000)), holdStep()});
    server.onRequest = [this] { stop = -1; };
    EXPECT_EQ(download(server.url(QStringLiteral("/x.jpg"))), QStringLiteral("Téléchargement interrompu"));
    EXPECT_EQ(readFile(target), kOldPicture);
    EXPECT_TRUE(strayFiles().isEmpty());
    EXPECT_FALSE(server.closedByServer);
}

TEST_F(PictureDownload, StopAlreadySetFetchesNothing)
{
    LoopbackServer server({send(httpResponse("x")), closeStep()});
    stop = -1;
    EXPECT_EQ(download(server.url(QStringLiteral("/x.jpg"))), QStringLiteral("Téléchargement interrompu"));
    EXPECT_EQ(server.connections, 0);
}

TEST_F(PictureDownload, RedirectIsFollowed)
{
    LoopbackServer target2({send(httpResponse("real picture")), closeStep()});
    LoopbackServer server({send(httpResponse("", "302 Found", "Location: " + target2.url("/real.jpg").toUtf8() + "\r\n")),
                           closeStep()});
    EXPECT_EQ(download(server.url(QStringLiteral("/x.jpg"))), QString());
    EXPECT_EQ(readFile(target), "real picture");
    ASSERT_EQ(target2.requests.size(), 1);
    EXPECT_TRUE(target2.requests.front().startsWith("GET /real.jpg "));
}

TEST_F(PictureDownload, OneSessionServesPictureAfterPictureAndFollowsTheProxyChoice)
{
    WebSession session;
    LoopbackServer first({send(httpResponse("first", "200 OK", "Connection: close\r\n")), closeStep()});
    EXPECT_EQ(DownloadToFile(session, first.url(QStringLiteral("/1.jpg")), target, stop), QString());
    EXPECT_EQ(readFile(target), "first");
    LoopbackServer second({send(httpResponse("second", "200 OK", "Connection: close\r\n")), closeStep()});
    EXPECT_EQ(DownloadToFile(session, second.url(QStringLiteral("/2.jpg")), target, stop), QString());
    EXPECT_EQ(readFile(target), "second");

    // The host's proxy for the next picture only; then the system's settings again (none).
    LoopbackServer proxy({send(httpResponse("via proxy")), closeStep()});
    NetOptions viaProxy;
    viaProxy.proxy = ProxySetting{QStringLiteral("127.0.0.1"), proxy.port()};
    EXPECT_EQ(DownloadToFile(session, QStringLiteral("http://films.example/3.jpg"), target, stop, viaProxy), QString());
    EXPECT_EQ(readFile(target), "via proxy");
    LoopbackServer direct({send(httpResponse("direct")), closeStep()});
    EXPECT_EQ(DownloadToFile(session, direct.url(QStringLiteral("/4.jpg")), target, stop), QString());
    EXPECT_EQ(readFile(target), "direct");
    EXPECT_EQ(proxy.requests.size(), 1);
}

TEST_F(PictureDownload, SystemProxyIsUsed)
{
    LoopbackServer proxy({send(httpResponse("from proxy")), closeStep()});
    qputenv("http_proxy", proxy.url(QString()).toUtf8());
    const QString message = download(QStringLiteral("http://films.example/poster.jpg"));
    qunsetenv("http_proxy");
    EXPECT_EQ(message, QString());
    EXPECT_EQ(readFile(target), "from proxy");
    ASSERT_EQ(proxy.requests.size(), 1);
    EXPECT_TRUE(proxy.requests.front().startsWith("GET http://films.example/poster.jpg HTTP/1.1\r\n"))
        << proxy.requests.front().toStdString();
}

TEST_F(PictureDownload, LinkPlantedAtTheTargetIsReplacedNotFollowed)
{
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.txt"));
    writeFile(elsewhere, "not a picture");
    QFile::remove(target);
    ASSERT_TRUE(QFile::link(elsewhere, target));
    LoopbackServer server({send(httpResponse("poster")), holdStep()});
    EXPECT_EQ(download(server.url(QStringLiteral("/x.jpg"))), QString());
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    EXPECT_EQ(readFile(target), "poster");
    EXPECT_EQ(readFile(elsewhere), "not a picture");
}

TEST_F(PictureDownload, UnwritableTargetIsAnError)
{
    target = dir.filePath(QStringLiteral("missing/image.jpg"));
    LoopbackServer server({send(httpResponse("x")), closeStep()});
    try {
        download(server.url(QStringLiteral("/x.jpg")));
        ADD_FAILURE() << "no error for a target that cannot be written";
    } catch (const DownloadError& error) {
        // The reason is the system's, in French.
        EXPECT_TRUE(QString::fromUtf8(error.what()).endsWith(QStringLiteral(" : Fichier ou dossier introuvable"))) << error.what();
    }
}

} // namespace
} // namespace trouvel::net
