// The cookies.txt format (Netscape's, which browsers' exporters and curl write): one cookie a
// line, seven fields separated by tabs: domain, whether subdomains share it (TRUE/FALSE),
// path, secure (TRUE/FALSE), expiry (Unix time, 0 for a session cookie), name, value. Lines
// starting with "#" are comments, except curl's "#HttpOnly_" prefix on the domain.
#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>

namespace trouvel::net {

struct CookieFileContents {
    QList<QNetworkCookie> cookies;
    QString problem; // the first malformed line, in French ("" when every line read)
};

// Pure over bytes. Expired cookies are kept: the jar drops them when asked.
CookieFileContents parseCookieFile(const QByteArray& bytes);

} // namespace trouvel::net
