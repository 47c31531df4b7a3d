#include "net/ReplyErrorText.h"

namespace trouvel::net {

QString tlsErrorText(QSslError::SslError error)
{
    switch (error) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return QStringLiteral("certificat auto-signé");
    case QSslError::CertificateExpired:
        return QStringLiteral("certificat expiré");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("certificat pas encore valide");
    case QSslError::HostNameMismatch:
        return QStringLiteral("le certificat ne correspond pas au nom du site");
    case QSslError::CertificateRevoked:
        return QStringLiteral("certificat révoqué");
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::UnableToVerifyFirstCertificate:
        return QStringLiteral("certificat d'un émetteur inconnu");
    case QSslError::NoPeerCertificate:
        return QStringLiteral("le site n'a présenté aucun certificat");
    default:
        return QStringLiteral("certificat refusé (erreur TLS n° %1)").arg(int(error));
    }
}

QString replyErrorText(QNetworkReply::NetworkError error, const QString& host, const QList<QSslError>& tlsErrors)
{
    using E = QNetworkReply::NetworkError;
    switch (error) {
    case E::ConnectionRefusedError:
        return QStringLiteral("connexion refusée par %1").arg(host);
    case E::RemoteHostClosedError:
        return QStringLiteral("%1 a fermé la connexion avant la fin de la réponse").arg(host);
    case E::HostNotFoundError:
        return QStringLiteral("site introuvable : %1").arg(host);
    case E::TimeoutError:
        return QStringLiteral("délai de connexion à %1 dépassé").arg(host);
    case E::OperationCanceledError:
        return QStringLiteral("téléchargement annulé");
    case E::SslHandshakeFailedError: {
        QStringList problems;
        for (const QSslError& tls : tlsErrors) {
            const QString text = tlsErrorText(tls.error());
            if (!problems.contains(text))
                problems << text;
        }
        return problems.isEmpty() ? QStringLiteral("échec de la connexion sécurisée (TLS) avec %1").arg(host)
                                  : QStringLiteral("connexion sécurisée refusée : %1").arg(problems.join(QStringLiteral(", ")));
    }
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
    case E::BackgroundRequestNotAllowedError:
        return QStringLiteral("le réseau n'est pas disponible");
    case E::TooManyRedirectsError:
        return QStringLiteral("trop de redirections");
    case E::InsecureRedirectError:
        return QStringLiteral("redirection d'une adresse sécurisée vers une adresse qui ne l'est pas");
    case E::ProxyConnectionRefusedError:
        return QStringLiteral("le proxy refuse la connexion");
    case E::ProxyConnectionClosedError:
        return QStringLiteral("le proxy a fermé la connexion");
    case E::ProxyNotFoundError:
        return QStringLiteral("proxy introuvable");
    case E::ProxyTimeoutError:
        return QStringLiteral("le proxy ne répond pas");
    case E::ProxyAuthenticationRequiredError:
        return QStringLiteral("le proxy demande une authentification");
    case E::AuthenticationRequiredError:
        return QStringLiteral("le site demande une authentification");
    case E::ProtocolUnknownError:
        return QStringLiteral("adresse d'un protocole non pris en charge");
    case E::ProtocolFailure:
        return QStringLiteral("réponse invalide de %1").arg(host);
    case E::ContentAccessDenied:
    case E::ContentOperationNotPermittedError:
        return QStringLiteral("accès refusé");
    case E::ContentNotFoundError:
        return QStringLiteral("fichier introuvable sur le site");
    case E::ContentReSendError:
        return QStringLiteral("la requête n'a pas pu être renvoyée");
    case E::ContentConflictError:
    case E::ContentGoneError:
        return QStringLiteral("le fichier n'est plus disponible");
    case E::InternalServerError:
    case E::OperationNotImplementedError:
    case E::ServiceUnavailableError:
    case E::UnknownServerError:
        return QStringLiteral("erreur du site");
    default:
        return QStringLiteral("erreur réseau n° %1").arg(int(error));
    }
}

} // namespace trouvel::net
