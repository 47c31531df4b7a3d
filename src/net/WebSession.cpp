#include "net/WebSession.h"

#include "net/CookieFile.h"
#include "net/EnvironmentProxy.h"

#include "common/BoundedRead.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QUrl>

namespace trouvel::net {

namespace {

// A cookies.txt larger than this is not one a browser exported.
constexpr qint64 kMaxCookieFileBytes = 16LL * 1024 * 1024;

} // namespace

QByteArray defaultUserAgent()
{
    return QByteArrayLiteral("Mozilla/5.0 (X11; Linux x86_64) Trouvel/" TROUVEL_VERSION);
}

WebSession::WebSession() : userAgent_(defaultUserAgent()), jar_(std::make_unique<QNetworkCookieJar>()) {}

WebSession::~WebSession() = default;

void WebSession::setUserAgent(const QString& userAgent)
{
    // Line breaks would add header lines of the script's making.
    QString kept = userAgent.trimmed();
    kept.remove(QLatin1Char('\r'));
    kept.remove(QLatin1Char('\n'));
    kept.remove(QChar(0));
    scriptUserAgent_ = !kept.isEmpty();
    userAgent_ = scriptUserAgent_ ? kept.toUtf8() : defaultUserAgent();
}

QByteArray WebSession::cookieHeader(const QUrl& url) const
{
    QByteArray header;
    for (const QNetworkCookie& cookie : jar_->cookiesForUrl(url)) {
        if (!header.isEmpty())
            header += "; ";
        header += cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
    }
    return header;
}

void WebSession::keepCookies(const QUrl& url, const QList<QByteArray>& setCookieValues)
{
    QList<QNetworkCookie> cookies;
    for (const QByteArray& value : setCookieValues)
        cookies += QNetworkCookie::parseCookies(value);
    if (!cookies.isEmpty())
        jar_->setCookiesFromUrl(cookies, url);
}

QString WebSession::loadCookieFile(const QString& path)
{
    const FileRead read = readRegularFile(path, kMaxCookieFileBytes);
    if (!read.bytes)
        return QStringLiteral("Fichier de cookies %1 illisible : %2").arg(path, read.problem);
    const CookieFileContents contents = parseCookieFile(*read.bytes);
    if (!contents.problem.isEmpty())
        return QStringLiteral("Fichier de cookies %1 : %2").arg(path, contents.problem);
    for (const QNetworkCookie& cookie : contents.cookies)
        jar_->insertCookie(cookie);
    return {};
}

QNetworkCookieJar& WebSession::cookieJar()
{
    return *jar_;
}

QNetworkAccessManager& WebSession::pictureManager(const std::optional<ProxySetting>& proxy)
{
    const bool same = proxy_.has_value() == proxy.has_value()
                      && (!proxy || (proxy_->host == proxy->host && proxy_->port == proxy->port));
    if (!manager_) {
        manager_ = std::make_unique<QNetworkAccessManager>();
        manager_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        manager_->setCookieJar(jar_.get());
        jar_->setParent(nullptr); // the session owns it, and outlives the manager
    }
    if (configured_ && same)
        return *manager_;
    if (proxy)
        manager_->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, proxy->host, proxy->port));
    else
        manager_->setProxyFactory(new EnvironmentProxyFactory);
    proxy_ = proxy;
    configured_ = true;
    return *manager_;
}

} // namespace trouvel::net
