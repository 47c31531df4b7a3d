#include "net/PictureDownload.h"

#include "net/EnvironmentProxy.h"
#include "net/EventWait.h"
#include "net/ScratchFile.h"
#include "net/TrustStore.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace trouvel::net {

namespace {

const QString kNoSession = QStringLiteral("La connexion Internet n'a pu etre établie");
const QString kCannotDownload = QStringLiteral("Le fichier specifié ne peut être telechargé");
const QString kInterrupted = QStringLiteral("Téléchargement interrompu");

constexpr qint64 kReadPiece = 64 * 1024;

QString tooLargeMessage(qint64 maxBytes)
{
    if (maxBytes >= 1024 * 1024 && maxBytes % (1024 * 1024) == 0)
        return QStringLiteral("Le fichier dépasse la taille maximale autorisée (%1 Mio)").arg(maxBytes / (1024 * 1024));
    return QStringLiteral("Le fichier dépasse la taille maximale autorisée (%1 octets)").arg(maxBytes);
}

// Errors that mean no connection to the network could be set up at all, as opposed to
// this one address failing.
bool isSessionError(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::NetworkSessionFailedError || error == QNetworkReply::BackgroundRequestNotAllowedError
        || error == QNetworkReply::TemporaryNetworkFailureError;
}

QString withReason(const QString& message, const QString& reason)
{
    return reason.isEmpty() ? message : message + QStringLiteral(" (") + reason + QLatin1Char(')');
}

[[noreturn]] void throwWriteError(const QString& target, const ScratchFile& file)
{
    throw DownloadError(
        QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(target, file.errorString()).toStdString());
}

} // namespace

QString DownloadToFile(const QString& address, const QString& target, const std::int16_t& stopDownload,
                       const NetOptions& options)
{
    WebSession session;
    return DownloadToFile(session, address, target, stopDownload, options);
}

QString DownloadToFile(WebSession& webSession, const QString& address, const QString& target,
                       const std::int16_t& stopDownload, const NetOptions& options)
{
    const qint64 maxBytes = options.maxBytes;
    if (stopDownload != 0)
        return kInterrupted;

    // Only web addresses: a "file:" or "qrc:" link cut out of a page must not copy local files.
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return kCannotDownload;

    // The environment's proxy, when Qt cannot use it: for the address, or a redirect's.
    const auto unusableProxy = [&](const QUrl& at) {
        return options.proxy ? QString() : environmentProxyFor(at, processVariable).unusable;
    };
    if (const QString unusable = unusableProxy(url); !unusable.isEmpty())
        return withReason(kCannotDownload, QStringLiteral("proxy inutilisable : ") + unusable);
    QNetworkAccessManager& session = webSession.pictureManager(options.proxy);

    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", webSession.userAgent());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Qt's transfer time-out counts from the last byte moved, the connection's set-up included.
    request.setTransferTimeout(options.timeLimitMs);
    if (scheme == QLatin1String("https"))
        request.setSslConfiguration(tlsConfiguration());

    // Streams into a file beside the target; the target is replaced only once all has arrived.
    ScratchFile file(target);
    qint64 received = 0;
    bool tooLarge = false;
    bool httpError = false;
    int httpStatus = 0;
    QString httpReason;
    bool writeFailed = false;
    bool finished = false;
    bool tooSlow = false;

    // The reply goes when this call ends (the session stays); the context object is declared
    // after it so that it goes first and takes the connections, which refer to locals, along.
    const std::unique_ptr<QNetworkReply> replyOwner(session.get(request));
    QNetworkReply* const reply = replyOwner.get();
    QObject context;
    reply->setReadBufferSize(kReadPiece * 4);

    const auto readAvailable = [&] {
        if (tooLarge || httpError || writeFailed)
            return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 400) {
            // An error page is not the picture: never let it replace the one in place.
            httpError = true;
            httpStatus = status;
            httpReason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            return;
        }
        while (reply->bytesAvailable() > 0) {
            const QByteArray piece = reply->read(kReadPiece);
            if (piece.isEmpty())
                break;
            if (received + piece.size() > maxBytes) {
                tooLarge = true;
                return;
            }
            received += piece.size();
            if (!file.isOpen() && !file.open()) {
                writeFailed = true;
                return;
            }
            if (file.write(piece) != piece.size()) {
                writeFailed = true;
                return;
            }
        }
    };
    QObject::connect(reply, &QIODevice::readyRead, &context, readAvailable);
    QObject::connect(reply, &QNetworkReply::finished, &context, [&] {
        readAvailable();
        finished = true;
    });

    // Qt's time-out restarts on every byte: a site trickling its picture (or endless headers)
    // is ended by a bound on the whole transfer.
    QTimer overall;
    overall.setSingleShot(true);
    QObject::connect(&overall, &QTimer::timeout, &context, [&] { tooSlow = true; });
    overall.start(overallLimitMs(options.timeLimitMs));
    waitForEvents([&] { return finished || tooLarge || httpError || writeFailed || tooSlow || stopDownload != 0; });
    overall.stop();

    QObject::disconnect(reply, nullptr, &context, nullptr);
    const bool completed = finished && !tooLarge && !httpError && !writeFailed && !tooSlow;
    if (!completed)
        reply->abort();
    const QNetworkReply::NetworkError error = reply->error();

    if (writeFailed) {
        file.cancelWriting();
        throwWriteError(target, file);
    }
    if (!completed || error != QNetworkReply::NoError) {
        file.cancelWriting();
        if (tooLarge)
            return tooLargeMessage(maxBytes);
        if (tooSlow)
            return withReason(kCannotDownload, QStringLiteral("le site envoie trop lentement : l'image n'est pas arrivée en %1")
                                                   .arg(durationText(overallLimitMs(options.timeLimitMs))));
        if (stopDownload != 0 && !finished)
            return kInterrupted;
        if (isSessionError(error))
            return withReason(kNoSession, reply->errorString());
        if (const QString unusable = unusableProxy(reply->url()); !unusable.isEmpty())
            return withReason(kCannotDownload, QStringLiteral("proxy inutilisable : ") + unusable);
        if (httpError || (httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) >= 300) {
            if (httpReason.isEmpty())
                httpReason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            return withReason(kCannotDownload, QStringLiteral("HTTP %1 %2").arg(httpStatus).arg(httpReason).trimmed());
        }
        if (error == QNetworkReply::OperationCanceledError)
            return withReason(kCannotDownload,
                              QStringLiteral("le site ne répond pas : rien reçu en %1").arg(durationText(options.timeLimitMs)));
        return withReason(kCannotDownload, reply->errorString());
    }
    // A resource of no bytes still replaces the target, with an empty file.
    if (!file.isOpen() && !file.open())
        throwWriteError(target, file);
    if (!file.commit())
        throwWriteError(target, file);
    return QString();
}

} // namespace trouvel::net
