#include "net/CookieFile.h"

#include <QDateTime>

namespace trouvel::net {

namespace {

std::optional<bool> flag(const QByteArray& text)
{
    if (text.compare("TRUE", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare("FALSE", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

} // namespace

CookieFileContents parseCookieFile(const QByteArray& bytes)
{
    static const QByteArray kHttpOnly("#HttpOnly_");
    CookieFileContents contents;
    int lineNumber = 0;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        ++lineNumber;
        QByteArray line = rawLine;
        if (line.endsWith('\r'))
            line.chop(1);
        bool httpOnly = false;
        if (line.startsWith(kHttpOnly)) {
            httpOnly = true;
            line.remove(0, kHttpOnly.size());
        } else if (line.trimmed().isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QList<QByteArray> fields = line.split('\t');
        bool expiryRead = false;
        const qint64 expiry = fields.size() == 7 ? fields[4].toLongLong(&expiryRead) : 0;
        const std::optional<bool> subdomains = fields.size() == 7 ? flag(fields[1]) : std::nullopt;
        const std::optional<bool> secure = fields.size() == 7 ? flag(fields[3]) : std::nullopt;
        if (!subdomains || !secure || !expiryRead || fields[0].isEmpty() || fields[5].isEmpty()) {
            if (contents.problem.isEmpty())
                contents.problem = QStringLiteral("ligne %1 : sept champs séparés par des tabulations attendus "
                                                  "(domaine, sous-domaines, chemin, sécurisé, expiration, nom, valeur)")
                                       .arg(lineNumber);
            continue;
        }
        QNetworkCookie cookie(fields[5], fields[6]);
        QByteArray domain = fields[0];
        // A leading dot or TRUE: the subdomains share it; otherwise only that host.
        if (*subdomains && !domain.startsWith('.'))
            domain.prepend('.');
        else if (!*subdomains && domain.startsWith('.'))
            domain.remove(0, 1);
        cookie.setDomain(QString::fromLatin1(domain));
        cookie.setPath(fields[2].isEmpty() ? QStringLiteral("/") : QString::fromLatin1(fields[2]));
        cookie.setSecure(*secure);
        cookie.setHttpOnly(httpOnly);
        if (expiry > 0)
            cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry, Qt::UTC));
        contents.cookies.append(cookie);
    }
    return contents;
}

} // namespace trouvel::net
