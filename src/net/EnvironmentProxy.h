// The proxy a picture download takes when the host names none: the http_proxy, https_proxy
// and no_proxy variables (or their upper-case forms), read in this process. No desktop
// settings and no helper thread, so that the first picture of a run costs no proxy lookup
// beside its own fetch.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QString>
#include <QUrl>

#include <functional>

namespace trouvel::net {

// A variable's value, empty when unset.
using EnvironmentLookup = std::function<QByteArray(const char* name)>;
// This process's variables.
QByteArray processVariable(const char* name);

// Whether a no_proxy list names the host (lower case, as QUrl gives it) on that port.
// Entries are separated by commas or spaces. "*" names every host; "films.example",
// ".films.example" and "*.films.example" name that host and every host under it, never
// "autresfilms.example"; an entry may end with ":port"; an address or a network in CIDR
// form ("10.0.0.0/8", "::1") names the addresses in it, and only those.
bool noProxyNames(QByteArrayView noProxy, const QString& host, int port);

struct EnvironmentProxy {
    QNetworkProxy proxy{QNetworkProxy::NoProxy};
    // Set when the variable names a proxy Qt cannot use (an https:// or socks4:// one, a
    // value that is no address): "https_proxy=https://proxy.example:3128".
    QString unusable;
};

// The proxy for the address: an https address takes https_proxy, falling back to
// http_proxy, as an http address does; nothing set, or no_proxy naming the host, is
// NoProxy. "host:port" without a scheme is an http proxy; an http proxy without a port uses
// 80, a socks5 one 1080.
EnvironmentProxy environmentProxyFor(const QUrl& address, const EnvironmentLookup& variable);

// The rule above over this process's environment, for a QNetworkAccessManager. Where the
// proxy is unusable it answers a proxy that cannot be reached, so that a transfer fails
// rather than going around the proxy it was told to take (Qt takes an empty answer for
// "no proxy").
class EnvironmentProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;
};

} // namespace trouvel::net
