#include "net/DownloadWinsock.h"

#include "net/Address.h"
#include "net/EventWait.h"
#include "net/LineEnds.h"
#include "net/ResponseFraming.h"
#include "net/SocketErrorNumber.h"

#include <QFile>
#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>

#include <memory>

namespace trouvel::net {

namespace {

constexpr qint64 kReadPiece = 64 * 1024;

// One call of DownloadPage: its socket, its output file and what its socket events reported.
struct Transfer {
    std::unique_ptr<QTcpSocket> socket;
    QFile* file = nullptr;
    bool tls = false;
    ResponseFraming framing;
    qint64 received = 0;
    qint64 maxBytes = 0;
    QByteArray converted;

    bool connected = false;
    bool ended = false;        // closed by the server or reported an error
    bool closedByUs = false;   // closeSocket() or a newer transfer
    bool overLimit = false;
    bool writeFailed = false;
    QString writeError;
    bool hasError = false;
    int errorNumber = 0;
    QString errorDescription;

    bool finished() const { return ended || closedByUs || overLimit || writeFailed || framing.complete(); }

    void readAvailable()
    {
        while (!finished() && socket->bytesAvailable() > 0) {
            const QByteArray piece = socket->read(kReadPiece);
            if (piece.isEmpty())
                break;
            if (received + piece.size() > maxBytes) {
                overLimit = true;
                return;
            }
            received += piece.size();
            converted.clear();
            appendWithCrLf(converted, piece);
            if (file->write(converted) != converted.size()) {
                writeFailed = true;
                writeError = file->errorString();
                return;
            }
            framing.feed(piece);
        }
    }
};

QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 Mio").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 octets").arg(bytes);
}

} // namespace

struct cDownloadWinsock::Private {
    std::int16_t& stopDownload;
    UserInteraction& ui;
    qint64 maxResponseBytes = kDefaultMaxDownloadBytes;
    Transfer* current = nullptr;
};

cDownloadWinsock::cDownloadWinsock(std::int16_t& stopDownload, UserInteraction& ui, QObject* parent)
    : QObject(parent), d(new Private{stopDownload, ui})
{
}

cDownloadWinsock::~cDownloadWinsock()
{
    delete d;
}

void cDownloadWinsock::setMaxResponseBytes(qint64 bytes)
{
    d->maxResponseBytes = bytes;
}

void cDownloadWinsock::closeSocket()
{
    Transfer* transfer = d->current;
    if (!transfer)
        return;
    transfer->closedByUs = true;
    if (transfer->socket)
        transfer->socket->abort();
}

std::int16_t cDownloadWinsock::DownloadPage(const QString& URL, const QString& SaveAs, const std::int16_t& MethodeGet,
                                           const std::int16_t& HttpVersion)
{
    if (UseProxy && (ProxyPort.isEmpty() || ProxyHost.isEmpty()))
        return kDownloadProxyIncomplete;
    const std::optional<AddressParts> address = parseAddress(URL);
    if (!address)
        return kDownloadBadAddress;

    const bool viaProxy = UseProxy != 0;
    Endpoint endpoint;
    if (!viaProxy)
        endpoint = directEndpoint(address->scheme, address->authority);
    // Without a TLS library there is no socket that can carry an https address.
    if (endpoint.tls && !QSslSocket::supportsSsl())
        return kDownloadNoSocket;

    // Unbuffered: each received piece reaches the file at once, so nothing of this transfer is
    // left to be written later over the page of a newer transfer to the same file.
    QFile file(SaveAs);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw DownloadError(QStringLiteral("Impossible d'écrire le fichier %1 : %2")
                                .arg(SaveAs, file.errorString())
                                .toStdString());

    // Ends any earlier connection, a transfer still waiting below us included.
    closeSocket();

    if (viaProxy) {
        bool ok = false;
        const qlonglong port = ProxyPort.trimmed().toLongLong(&ok);
        if (!ok || port < 0 || port > 65535)
            throw DownloadError(
                QStringLiteral("Le port du proxy n'est pas un numéro de port : %1").arg(ProxyPort).toStdString());
        endpoint.host = ProxyHost;
        endpoint.port = static_cast<std::uint16_t>(port);
        endpoint.tls = false;
    }

    const QByteArray request = buildRequest(*address, MethodeGet != 0, HttpVersion != 0, viaProxy);

    Transfer transfer;
    transfer.file = &file;
    transfer.maxBytes = d->maxResponseBytes;
    transfer.tls = endpoint.tls;
    if (endpoint.tls)
        transfer.socket = std::make_unique<QSslSocket>();
    else
        transfer.socket = std::make_unique<QTcpSocket>();
    QTcpSocket* socket = transfer.socket.get();

    // MyWinSock_DataArrival, MyWinSock_Close, MyWinSock_Error
    QObject::connect(socket, &QIODevice::readyRead, socket, [&transfer] { transfer.readAvailable(); });
    const auto onClose = [this, &transfer] {
        if (transfer.ended || transfer.closedByUs)
            return;
        transfer.readAvailable();
        transfer.ended = true;
        PasserALaSuite = -1;
        // The socket layer reports a reset like an orderly close; a response cut short
        // before its announced end shows that the connection was broken.
        if (transfer.framing.truncated() && !transfer.overLimit && !transfer.writeFailed) {
            transfer.hasError = true;
            transfer.errorNumber = socketErrorNumber(QAbstractSocket::RemoteHostClosedError);
            transfer.errorDescription = QStringLiteral("La connexion a été coupée avant la fin de la réponse");
        }
    };
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, onClose);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, socket,
                     [this, &transfer, onClose](QAbstractSocket::SocketError error) {
                         // The server's close comes through here as well as through disconnected.
                         if (error == QAbstractSocket::RemoteHostClosedError) {
                             onClose();
                             return;
                         }
                         if (transfer.ended || transfer.closedByUs)
                             return;
                         transfer.readAvailable();
                         transfer.ended = true;
                         PasserALaSuite = -1;
                         transfer.hasError = true;
                         transfer.errorNumber = socketErrorNumber(error);
                         transfer.errorDescription = transfer.socket->errorString();
                     });
    if (endpoint.tls)
        QObject::connect(static_cast<QSslSocket*>(socket), &QSslSocket::encrypted, socket,
                         [&transfer] { transfer.connected = true; });
    else
        QObject::connect(socket, &QAbstractSocket::connected, socket, [&transfer] { transfer.connected = true; });

    Transfer* const outer = d->current;
    d->current = &transfer;

    PasserALaSuite = 0;
    d->stopDownload = 0;

    if (endpoint.tls)
        static_cast<QSslSocket*>(socket)->connectToHostEncrypted(endpoint.host, endpoint.port);
    else
        socket->connectToHost(endpoint.host, endpoint.port);

    const std::int16_t& stop = d->stopDownload;
    waitForEvents([&] { return transfer.connected || transfer.finished() || stop != 0; });

    if (transfer.connected && !transfer.finished() && stop == 0) {
        socket->write(request);
        waitForEvents([&] { return transfer.finished() || stop != 0; });
    }

    QObject::disconnect(socket, nullptr, socket, nullptr);
    socket->abort();
    d->current = outer;
    file.close();
    if (file.error() != QFileDevice::NoError && !transfer.writeFailed) {
        transfer.writeFailed = true;
        transfer.writeError = file.errorString();
    }

    if (transfer.hasError) {
        d->ui.messageBox(QStringLiteral("Une erreur est survenue lors de la connection :") + QLatin1String("\r\n")
                         + QString::number(transfer.errorNumber) + QLatin1String(" : ") + transfer.errorDescription);
    }
    if (transfer.overLimit)
        throw DownloadError(QStringLiteral("La réponse dépasse la taille maximale autorisée (%1)")
                                .arg(sizeText(transfer.maxBytes))
                                .toStdString());
    if (transfer.writeFailed)
        throw DownloadError(QStringLiteral("Impossible d'écrire le fichier %1 : %2")
                                .arg(SaveAs, transfer.writeError)
                                .toStdString());
    return stop != 0 ? kDownloadStopped : kDownloadDone;
}

} // namespace trouvel::net
