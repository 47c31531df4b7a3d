#include "net/Redirect.h"

#include "text/TextCodec.h"

#include <QUrl>

namespace trouvel::net {

QString redirectTarget(const QString& from, const QByteArray& location)
{
    return QUrl(from).resolved(QUrl(text::decodeText(location))).toString(QUrl::FullyEncoded);
}

QString requestKey(bool get, const QString& url)
{
    return (get ? QStringLiteral("GET ") : QStringLiteral("POST ")) + url;
}

RedirectDecision decideRedirect(const QString& from, int status, const QByteArray& location, bool get, int hop,
                                const QSet<QString>& visited)
{
    RedirectDecision decision;
    decision.next = redirectTarget(from, location);
    const QUrl target(decision.next);
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || target.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        decision.failure =
            QStringLiteral("Redirection vers une adresse non prise en charge : %1").arg(text::decodeText(location));
        return decision;
    }
    if (hop >= kMaxRedirects) {
        decision.failure =
            QStringLiteral("Trop de redirections (plus de %1) ; la dernière vers %2").arg(kMaxRedirects).arg(decision.next);
        return decision;
    }
    if (status == 303 || ((status == 301 || status == 302) && !get)) {
        decision.get = true;
    } else {
        decision.get = get;
        decision.keepBody = !get;
    }
    if (visited.contains(requestKey(decision.get, decision.next)))
        decision.failure = QStringLiteral("Boucle de redirection : %1 renvoie vers %2, déjà demandée").arg(from, decision.next);
    return decision;
}

} // namespace trouvel::net
