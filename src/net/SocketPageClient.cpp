#include "net/SocketPageClient.h"
#include "net/Request.h"

#include "net/Address.h"
#include "net/EventWait.h"
#include "net/LineEnds.h"
#include "net/ResponseFraming.h"
#include "net/SocketErrorNumber.h"
#include "net/TrustStore.h"
#include "net/WebSession.h"

#include "text/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QSet>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace trouvel::net {

namespace {

constexpr qint64 kReadPiece = 64 * 1024;
// Room kept between fetches for the next page; a larger page's buffers are given back.
constexpr qsizetype kKeptBufferBytes = 4 * 1024 * 1024;

// Working room of a piece's trip from the socket to the file, kept by the client from one
// fetch to the next: fresh buffers for every megabyte page cost more in page faults than the
// decoding. Only used within one readAvailable() call, so transfers may share them.
struct PieceBuffers {
    QByteArray piece;
    QByteArray decoded;
    QByteArray converted;

    void trim()
    {
        for (QByteArray* buffer : {&piece, &decoded, &converted}) {
            if (buffer->capacity() > kKeptBufferBytes)
                *buffer = QByteArray();
        }
    }
};

// One connection of a DownloadPage call (one per redirect hop): its socket, what its socket
// events reported, and the stored bytes it wrote to the call's output file.
struct Transfer {
    std::unique_ptr<QTcpSocket> socket;
    QFile* file = nullptr;
    ResponseFraming framing;
    qint64 received = 0;
    qint64 maxBytes = 0;
    PieceBuffers* buffers = nullptr;
    QByteArray* raw = nullptr; // every byte read, for the wire observer
    QTimer limit; // the connection's set-up, then the silence between two pieces
    QTimer overall; // the whole transfer: a site trickling bytes does not hold it for ever

    bool connected = false;
    bool ended = false;        // closed by the server or reported an error
    bool closedByUs = false;   // closeSocket() or a newer transfer
    bool overLimit = false;
    bool writeFailed = false;
    bool timedOut = false;
    bool tooSlow = false;
    QString writeError;
    bool hasError = false;
    int errorNumber = 0;
    QString errorDescription;

    bool finished() const
    {
        return ended || closedByUs || overLimit || writeFailed || timedOut || tooSlow || framing.complete();
    }

    void readAvailable()
    {
        QByteArray& decoded = buffers->decoded;
        QByteArray& converted = buffers->converted;
        while (!finished() && socket->bytesAvailable() > 0) {
            buffers->piece.resize(kReadPiece);
            const qint64 got = socket->read(buffers->piece.data(), kReadPiece);
            if (got <= 0)
                break;
            const QByteArrayView piece(buffers->piece.constData(), got);
            if (limit.isActive())
                limit.start();
            if (received + piece.size() > maxBytes) {
                overLimit = true;
                return;
            }
            received += piece.size();
            if (raw)
                raw->append(piece);
            // resize(0) keeps the buffers' room for the next piece; clear() would free it.
            decoded.resize(0);
            framing.feed(piece, &decoded);
            converted.resize(0);
            appendWithCrLf(converted, decoded);
            if (!converted.isEmpty() && file->write(converted) != converted.size()) {
                writeFailed = true;
                writeError = file->errorString();
                return;
            }
            if (framing.overLimit()) {
                overLimit = true;
                return;
            }
        }
    }
};

QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 Mio").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 octets").arg(bytes);
}

bool isHttps(const QString& scheme)
{
    return scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// How a hop reaches the network: where the socket connects, through which proxy, and
// whether the request line carries the absolute address.
struct Route {
    Endpoint endpoint;
    QNetworkProxy proxy{QNetworkProxy::NoProxy};
    bool absoluteTarget = false;
};

Route routeFor(const AddressParts& address, const std::optional<ProxySetting>& proxy)
{
    Route route;
    if (!proxy) {
        // Set explicitly: the environment's http_proxy is not the host's choice.
        route.endpoint = directEndpoint(address.scheme, address.authority);
    } else if (isHttps(address.scheme)) {
        // A CONNECT tunnel through the proxy; TLS and its certificate check run end to end.
        route.endpoint = directEndpoint(address.scheme, address.authority);
        route.proxy = QNetworkProxy(QNetworkProxy::HttpProxy, proxy->host, proxy->port);
    } else {
        route.endpoint = Endpoint{proxy->host, proxy->port, false};
        route.absoluteTarget = true;
    }
    return route;
}

QString hostText(const Endpoint& endpoint)
{
    return endpoint.host + QLatin1Char(':') + QString::number(endpoint.port);
}

} // namespace

QString connectionErrorMessage(const PageReport& report)
{
    if (report.socketError == 0)
        return {};
    return QStringLiteral("Une erreur est survenue lors de la connection :") + QLatin1String("\r\n")
           + QString::number(report.socketError) + QLatin1String(" : ") + report.socketErrorText;
}

struct SocketPageClient::Private {
    std::int16_t& stopDownload;
    qint64 maxResponseBytes = kDefaultMaxDownloadBytes;
    int timeLimitMs = kDefaultTimeLimitMs;
    Transfer* current = nullptr;
    PageReport report;
    PieceBuffers buffers{};
    WireObserver wireObserver;
    std::shared_ptr<WebSession> session = std::make_shared<WebSession>();

    // Connects, sends the request and stores the response; returns once the transfer is over.
    void run(Transfer& transfer, const Route& route, const QByteArray& request);
};

SocketPageClient::SocketPageClient(std::int16_t& stopDownload, QObject* parent)
    : QObject(parent), d(new Private{stopDownload, kDefaultMaxDownloadBytes, kDefaultTimeLimitMs, nullptr, {}, {}, {}, std::make_shared<WebSession>()})
{
}

SocketPageClient::~SocketPageClient()
{
    delete d;
}

void SocketPageClient::setMaxResponseBytes(qint64 bytes)
{
    d->maxResponseBytes = bytes;
}

void SocketPageClient::setTimeLimit(int milliseconds)
{
    d->timeLimitMs = std::max(milliseconds, 1);
}

const PageReport& SocketPageClient::lastReport() const
{
    return d->report;
}

void SocketPageClient::setWireObserver(WireObserver observer)
{
    d->wireObserver = std::move(observer);
}

void SocketPageClient::setSession(std::shared_ptr<WebSession> session)
{
    if (session)
        d->session = std::move(session);
}

void SocketPageClient::closeSocket()
{
    Transfer* transfer = d->current;
    if (!transfer)
        return;
    transfer->closedByUs = true;
    if (transfer->socket)
        transfer->socket->abort();
}

void SocketPageClient::Private::run(Transfer& transfer, const Route& route,
                                    const QByteArray& request)
{
    const Endpoint& endpoint = route.endpoint;
    if (endpoint.tls) {
        auto socket = std::make_unique<QSslSocket>();
        socket->setSslConfiguration(tlsConfiguration());
        transfer.socket = std::move(socket);
    } else {
        transfer.socket = std::make_unique<QTcpSocket>();
    }
    QTcpSocket* socket = transfer.socket.get();
    socket->setProxy(route.proxy);

    // MyWinSock_DataArrival, MyWinSock_Close, MyWinSock_Error
    QObject::connect(socket, &QIODevice::readyRead, socket, [&transfer] { transfer.readAvailable(); });
    const auto onClose = [&transfer] {
        if (transfer.ended || transfer.closedByUs)
            return;
        transfer.readAvailable();
        transfer.ended = true;
        // The socket layer reports a reset like an orderly close; a response cut short
        // before its announced end shows that the connection was broken.
        if (transfer.framing.truncated() && !transfer.overLimit && !transfer.writeFailed && !transfer.timedOut) {
            transfer.hasError = true;
            transfer.errorNumber = socketErrorNumber(QAbstractSocket::RemoteHostClosedError);
            transfer.errorDescription = QStringLiteral("La connexion a été coupée avant la fin de la réponse");
        }
    };
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, onClose);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, socket,
                     [&transfer, onClose](QAbstractSocket::SocketError error) {
                         // The server's close comes through here as well as through disconnected.
                         if (error == QAbstractSocket::RemoteHostClosedError) {
                             onClose();
                             return;
                         }
                         if (transfer.ended || transfer.closedByUs || transfer.timedOut)
                             return;
                         transfer.readAvailable();
                         transfer.ended = true;
                         transfer.hasError = true;
                         transfer.errorNumber = socketErrorNumber(error);
                         transfer.errorDescription = transfer.socket->errorString();
                     });
    const auto onConnected = [&transfer] {
        transfer.connected = true;
        transfer.limit.start(); // from now on, the silence of the server
    };
    if (endpoint.tls)
        QObject::connect(static_cast<QSslSocket*>(socket), &QSslSocket::encrypted, socket, onConnected);
    else
        QObject::connect(socket, &QAbstractSocket::connected, socket, onConnected);

    transfer.limit.setSingleShot(true);
    transfer.limit.setInterval(timeLimitMs);
    QObject::connect(&transfer.limit, &QTimer::timeout, socket, [&transfer] { transfer.timedOut = true; });
    transfer.overall.setSingleShot(true);
    transfer.overall.setInterval(overallLimitMs(timeLimitMs));
    QObject::connect(&transfer.overall, &QTimer::timeout, socket, [&transfer] { transfer.tooSlow = true; });

    Transfer* const outer = current;
    current = &transfer;

    transfer.limit.start();
    transfer.overall.start();
    if (endpoint.tls)
        static_cast<QSslSocket*>(socket)->connectToHostEncrypted(endpoint.host, endpoint.port);
    else
        socket->connectToHost(endpoint.host, endpoint.port);

    const std::int16_t& stop = stopDownload;
    waitForEvents([&] { return transfer.connected || transfer.finished() || stop != 0; });

    if (transfer.connected && !transfer.finished() && stop == 0) {
        socket->write(request);
        waitForEvents([&] { return transfer.finished() || stop != 0; });
    }

    transfer.limit.stop();
    transfer.overall.stop();
    QObject::disconnect(socket, nullptr, socket, nullptr);
    socket->abort();
    current = outer;
}

std::int16_t SocketPageClient::DownloadPage(const QString& URL, const QString& SaveAs, const std::int16_t& usesGet,
                                           const std::int16_t& HttpVersion)
{
    d->report = PageReport{};
    if (UseProxy && (ProxyPort.isEmpty() || ProxyHost.isEmpty()))
        return kDownloadProxyIncomplete;
    std::optional<AddressParts> address = parseAddress(URL);
    if (!address)
        return kDownloadBadAddress;

    const bool viaProxy = UseProxy != 0;
    // Without a TLS library there is no socket that can carry an https address.
    if (isHttps(address->scheme) && !QSslSocket::supportsSsl())
        return kDownloadNoSocket;

    // Unbuffered: each received piece reaches the file at once, so nothing of this transfer is
    // left to be written later over the page of a newer transfer to the same file.
    // Created afresh rather than truncated: ext4 writes out a file that was truncated and
    // then closed (to protect replace-by-truncate), one disk write per page otherwise.
    QFile file(SaveAs);
    if (QFileInfo(SaveAs).isFile())
        QFile::remove(SaveAs);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw DownloadError(QStringLiteral("Impossible d'écrire le fichier %1 : %2")
                                .arg(SaveAs, file.errorString())
                                .toStdString());

    // Ends any earlier connection, a transfer still waiting below us included.
    closeSocket();

    std::optional<ProxySetting> proxy;
    if (viaProxy) {
        const std::optional<std::uint16_t> port = parseProxyPort(ProxyPort);
        if (!port)
            throw DownloadError(
                QStringLiteral("Le port du proxy n'est pas un numéro de port : %1").arg(ProxyPort).toStdString());
        proxy = ProxySetting{ProxyHost, *port};
    }

    d->stopDownload = 0;
    const std::int16_t& stop = d->stopDownload;

    QString currentUrl = URL;
    bool get = usesGet != 0;
    std::optional<QByteArray> keptBody;
    QSet<QString> visited{requestKey(get, URL)};
    WebSession& session = *d->session;
    PageReport& report = d->report;
    QString failure; // ends the fetch once the file is closed
    std::int16_t code = kDownloadDone;
    for (int hop = 0;; ++hop) {
        report.finalAddress = currentUrl;
        if (isHttps(address->scheme) && !QSslSocket::supportsSsl()) {
            failure = QStringLiteral("Redirection vers une adresse https sans bibliothèque TLS : %1").arg(currentUrl);
            break;
        }
        const Route route = routeFor(*address, proxy);
        const RequestIdentity identity{session.hasScriptUserAgent() ? session.userAgent() : QByteArray(),
                                       session.cookieHeader(QUrl(currentUrl))};
        const QByteArray request = buildRequest(*address, get, HttpVersion != 0, route.absoluteTarget,
                                                keptBody ? &*keptBody : nullptr, identity);

        Transfer transfer;
        transfer.file = &file;
        transfer.buffers = &d->buffers;
        transfer.maxBytes = d->maxResponseBytes;
        transfer.framing.setMaxStoredBytes(d->maxResponseBytes);
        transfer.framing.setStopAtRedirect(true);
        QByteArray raw;
        if (d->wireObserver)
            transfer.raw = &raw;
        d->run(transfer, route, request);
        d->buffers.trim();
        if (d->wireObserver)
            d->wireObserver(WireExchange{currentUrl, request, raw});

        const ResponseFraming& framing = transfer.framing;
        session.keepCookies(QUrl(currentUrl), framing.setCookies());
        if (framing.headComplete()) {
            report.status = framing.status();
            report.reason = QString::fromLatin1(framing.reason());
            report.retryAfter = framing.retryAfter();
        }
        if (transfer.hasError) {
            report.socketError = transfer.errorNumber;
            report.socketErrorText = transfer.errorDescription;
        }
        if (transfer.overLimit) {
            failure = QStringLiteral("La réponse dépasse la taille maximale autorisée (%1)").arg(sizeText(transfer.maxBytes));
            break;
        }
        if (transfer.writeFailed) {
            failure = QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(SaveAs, transfer.writeError);
            break;
        }
        if (stop != 0 || transfer.closedByUs)
            break;
        if (transfer.tooSlow) {
            code = kDownloadTimedOut;
            report.problem = QStringLiteral("Le site envoie trop lentement : %1 n'a pas tout envoyé en %2")
                                 .arg(hostText(route.endpoint), durationText(overallLimitMs(d->timeLimitMs)));
            break;
        }
        if (transfer.timedOut) {
            code = kDownloadTimedOut;
            const QString limit = durationText(d->timeLimitMs);
            report.problem = transfer.connected
                ? QStringLiteral("Le site ne répond pas : rien reçu de %1 en %2").arg(hostText(route.endpoint), limit)
                : QStringLiteral("Le site ne répond pas : pas de connexion à %1 en %2").arg(hostText(route.endpoint), limit);
            break;
        }
        if (framing.decodeFailed()) {
            failure = QStringLiteral("Le contenu compressé (%1) de la page est illisible")
                          .arg(QString::fromLatin1(framing.decodedCoding()));
            break;
        }
        if (!framing.isRedirect())
            break;

        // A redirect: where to, and with which method.
        const RedirectDecision redirect = decideRedirect(currentUrl, framing.status(), framing.location(), get, hop, visited);
        report.redirects.push_back(RedirectHop{framing.status(), report.reason, currentUrl, redirect.next});
        report.status = 0;
        report.reason.clear();
        report.retryAfter.clear();
        if (!redirect.failure.isEmpty()) {
            failure = redirect.failure;
            break;
        }
        if (!redirect.keepBody)
            keptBody.reset();
        else if (!keptBody)
            keptBody = address->query.toUtf8();
        get = redirect.get;
        const QString next = redirect.next;
        const QString key = requestKey(get, next);
        visited.insert(key);
        address = parseAddress(next);
        if (!address) {
            failure = QStringLiteral("Redirection vers une adresse non prise en charge : %1").arg(next);
            break;
        }
        currentUrl = next;
    }

    file.close();
    if (file.error() != QFileDevice::NoError && failure.isEmpty())
        failure = QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(SaveAs, file.errorString());

    if (!failure.isEmpty()) {
        report.problem = failure;
        throw DownloadError(failure.toStdString());
    }
    if (stop != 0)
        return kDownloadStopped;
    return code;
}

} // namespace trouvel::net
