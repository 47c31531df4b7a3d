// What one walk of the wizard (or one run of the tool) shows the sites it visits, kept for
// its whole life and shared by the page client and the picture download: who the client says
// it is (User-Agent), the cookies the sites set, and the network manager the pictures go
// through (so one walk reuses its connections instead of setting up one per picture).
// Used from the thread that made it.
#pragma once

#include "net/NetOptions.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkCookieJar;
class QUrl;

namespace trouvel::net {

// What the client says it is when the script names nothing else.
QByteArray defaultUserAgent();

class WebSession {
public:
    WebSession();
    ~WebSession();
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    // The script's User-Agent; empty: the default one.
    void setUserAgent(const QString& userAgent);
    const QByteArray& userAgent() const { return userAgent_; }
    // True when the script named its own (the POST request then sends it too).
    bool hasScriptUserAgent() const { return scriptUserAgent_; }

    // The Cookie header value for a request to url ("a=1; b=2"), empty when the jar holds
    // nothing for it: the domain, path, secure and expiry rules are the jar's.
    QByteArray cookieHeader(const QUrl& url) const;
    // Keeps what the Set-Cookie header values of a response from url set; a cookie for
    // another site than url's is dropped.
    void keepCookies(const QUrl& url, const QList<QByteArray>& setCookieValues);
    // Adds the cookies of a cookies.txt file (the Netscape format browsers' exporters and
    // curl write). "" when read, else why not, in French.
    QString loadCookieFile(const QString& path);
    QNetworkCookieJar& cookieJar();

    // The picture download's manager, set to go through `proxy` (the host's) or, without one,
    // the proxy the environment names (EnvironmentProxy.h); it shares the session's cookies.
    QNetworkAccessManager& pictureManager(const std::optional<ProxySetting>& proxy);

private:
    QByteArray userAgent_;
    bool scriptUserAgent_ = false;
    std::unique_ptr<QNetworkCookieJar> jar_;
    std::unique_ptr<QNetworkAccessManager> manager_; // after the jar: it goes first
    bool configured_ = false;
    std::optional<ProxySetting> proxy_;
};

} // namespace trouvel::net
