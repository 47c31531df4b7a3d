#include "net/PictureDownload.h"

#include "net/ContentDecoder.h"
#include "net/EnvironmentProxy.h"
#include "net/EventWait.h"
#include "net/Redirect.h"
#include "net/ReplyErrorText.h"
#include "net/ScratchFile.h"
#include "net/TrustStore.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
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
    if (reason.isEmpty())
        return message;
    // Inside the brackets the reason reads as the rest of the sentence ("HTTP 404" stays).
    const bool word = reason.size() > 1 && reason.at(1).isLower();
    return message + QStringLiteral(" (") + (word ? reason.left(1).toLower() + reason.mid(1) : reason) + QLatin1Char(')');
}

// The coding a response's Content-Encoding names, when it is one we undo; the page client
// keeps anything else as sent, and so does this download.
std::unique_ptr<ContentDecoder> decoderFor(const QByteArray& contentEncoding)
{
    const QByteArray coding = contentEncoding.trimmed().toLower();
    if (coding == "gzip" || coding == "x-gzip")
        return std::make_unique<ContentDecoder>(ContentDecoder::Coding::Gzip);
    if (coding == "deflate")
        return std::make_unique<ContentDecoder>(ContentDecoder::Coding::Deflate);
    return nullptr;
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
    request.setRawHeader("Accept", "image/avif,image/webp,image/png,image/jpeg,image/*;q=0.8,*/*;q=0.5");
    // Named here, the coding is left to us: the body is undone under the size bound, as the
    // page client does, instead of inflating without one.
    request.setRawHeader("Accept-Encoding", "gzip, deflate");
    // Each redirect is looked at before it is followed: the same rules as the page client's.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects + 1);
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
    std::unique_ptr<ContentDecoder> decoder;
    bool bodyStarted = false;
    bool decodeFailed = false;
    QByteArray coding;
    QString current = url.toString(QUrl::FullyEncoded);
    QSet<QString> visited{requestKey(true, current)};
    int hop = 0;
    QString redirectFailure;
    bool requestSent = false;
    bool headerArrived = false;
    QList<QSslError> tlsErrors;

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
        if (!bodyStarted) {
            bodyStarted = true;
            coding = reply->rawHeader("Content-Encoding");
            decoder = decoderFor(coding);
        }
        QByteArray decoded;
        while (reply->bytesAvailable() > 0) {
            const QByteArray piece = reply->read(kReadPiece);
            if (piece.isEmpty())
                break;
            if (decoder) {
                decoded.clear();
                const ContentDecoder::Result result = decoder->feed(piece, decoded, qsizetype(maxBytes - received));
                if (result == ContentDecoder::Result::OverLimit) {
                    tooLarge = true;
                    return;
                }
                if (result == ContentDecoder::Result::Corrupt) {
                    decodeFailed = true;
                    return;
                }
            } else if (received + piece.size() > maxBytes) {
                tooLarge = true;
                return;
            }
            const QByteArray& bytes = decoder ? decoded : piece;
            received += bytes.size();
            if (!file.isOpen() && !file.open()) {
                writeFailed = true;
                return;
            }
            if (file.write(bytes) != bytes.size()) {
                writeFailed = true;
                return;
            }
        }
    };
    QObject::connect(reply, &QNetworkReply::redirected, &context, [&](const QUrl& to) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const RedirectDecision next = decideRedirect(current, status, to.toEncoded(), true, hop, visited);
        if (!next.failure.isEmpty()) {
            redirectFailure = next.failure;
            return;
        }
        ++hop;
        current = next.next;
        visited.insert(requestKey(true, current));
        Q_EMIT reply->redirectAllowed();
    });
    QObject::connect(reply, &QNetworkReply::requestSent, &context, [&] { requestSent = true; });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &context, [&] { headerArrived = true; });
    QObject::connect(reply, &QNetworkReply::sslErrors, &context, [&](const QList<QSslError>& errors) { tlsErrors = errors; });
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
    const auto failed = [&] { return tooLarge || httpError || writeFailed || tooSlow || decodeFailed || !redirectFailure.isEmpty(); };
    waitForEvents([&] { return finished || failed() || stopDownload != 0; });
    overall.stop();

    QObject::disconnect(reply, nullptr, &context, nullptr);
    // A compressed body cut short is not the picture either.
    if (finished && !failed() && decoder && !decoder->ended() && reply->error() == QNetworkReply::NoError)
        decodeFailed = true;
    const bool completed = finished && !failed();
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
        if (!redirectFailure.isEmpty())
            return withReason(kCannotDownload, redirectFailure);
        if (decodeFailed)
            return withReason(kCannotDownload, QStringLiteral("le contenu compressé (%1) de l'image est illisible")
                                                   .arg(QString::fromLatin1(coding.trimmed())));
        if (stopDownload != 0 && !finished)
            return kInterrupted;
        const QString host = QUrl(current).host();
        if (isSessionError(error))
            return withReason(kNoSession, replyErrorText(error, host));
        if (const QString unusable = unusableProxy(reply->url()); !unusable.isEmpty())
            return withReason(kCannotDownload, QStringLiteral("proxy inutilisable : ") + unusable);
        if (httpError || (httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) >= 300) {
            if (httpReason.isEmpty())
                httpReason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            return withReason(kCannotDownload, QStringLiteral("HTTP %1 %2").arg(httpStatus).arg(httpReason).trimmed());
        }
        // Qt's time-out: which part of the exchange the site left waiting. Qt's reply does not
        // show the bytes of a header still arriving, so a header that never ends reads as one
        // that never came.
        if (error == QNetworkReply::OperationCanceledError) {
            const QString limit = durationText(options.timeLimitMs);
            if (headerArrived)
                return withReason(kCannotDownload, QStringLiteral("le site ne répond plus : rien reçu pendant %1").arg(limit));
            if (requestSent)
                return withReason(kCannotDownload,
                                  QStringLiteral("le site ne répond pas : pas de réponse complète en %1").arg(limit));
            return withReason(kCannotDownload, QStringLiteral("le site ne répond pas : pas de connexion à %1 en %2").arg(host, limit));
        }
        return withReason(kCannotDownload, replyErrorText(error, host, tlsErrors));
    }
    // A resource of no bytes still replaces the target, with an empty file.
    if (!file.isOpen() && !file.open())
        throwWriteError(target, file);
    if (!file.commit())
        throwWriteError(target, file);
    return QString();
}

} // namespace trouvel::net
