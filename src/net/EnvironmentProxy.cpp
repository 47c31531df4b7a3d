#include "net/EnvironmentProxy.h"

#include <QHostAddress>

#include <optional>

namespace trouvel::net {

namespace {

struct Variable {
    const char* name = nullptr;
    QByteArray value;
};

Variable firstSet(const EnvironmentLookup& variable, const char* lower, const char* upper)
{
    for (const char* name : {lower, upper})
        if (QByteArray value = variable(name).trimmed(); !value.isEmpty())
            return {name, value};
    return {};
}

struct NoProxyEntry {
    QString host; // a name or an address, without brackets
    int port = -1; // -1: any port
};

NoProxyEntry splitPort(QString entry)
{
    NoProxyEntry split;
    if (entry.startsWith(QLatin1Char('['))) {
        const qsizetype close = entry.indexOf(QLatin1Char(']'));
        if (close < 0)
            return {entry};
        if (close + 1 < entry.size() && entry.at(close + 1) == QLatin1Char(':'))
            split.port = entry.mid(close + 2).toInt();
        split.host = entry.mid(1, close - 1);
        return split;
    }
    // One colon is a port; more are an IPv6 address.
    if (const qsizetype colon = entry.indexOf(QLatin1Char(':')); colon >= 0 && colon == entry.lastIndexOf(QLatin1Char(':'))) {
        bool ok = false;
        const int port = entry.mid(colon + 1).toInt(&ok);
        split.port = ok ? port : 0; // a port that is not a number names nothing
        entry.truncate(colon);
    }
    split.host = entry;
    return split;
}

bool entryNames(QString entry, const QString& host, const QHostAddress& hostAddress, int port)
{
    NoProxyEntry split = splitPort(std::move(entry));
    if (split.port >= 0 && split.port != port)
        return false;
    QString& name = split.host;
    if (name.contains(QLatin1Char('/'))) {
        const auto [network, prefix] = QHostAddress::parseSubnet(name);
        return prefix >= 0 && !hostAddress.isNull() && hostAddress.isInSubnet(network, prefix);
    }
    if (const QHostAddress address(name); !address.isNull())
        return !hostAddress.isNull() && address.isEqual(hostAddress);
    if (name.startsWith(QLatin1Char('*')))
        name.remove(0, 1);
    if (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.isEmpty() || !hostAddress.isNull())
        return false;
    return host.compare(name, Qt::CaseInsensitive) == 0
           || (host.size() > name.size() && host.at(host.size() - name.size() - 1) == QLatin1Char('.')
               && host.endsWith(name, Qt::CaseInsensitive));
}

std::optional<QNetworkProxy> proxyFromValue(const QByteArray& value)
{
    QString text = QString::fromLocal8Bit(value);
    if (!text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("http://"));
    const QUrl url(text);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    const QString user = url.userName(QUrl::FullyDecoded);
    const QString password = url.password(QUrl::FullyDecoded);
    if (scheme == QLatin1String("http"))
        return QNetworkProxy(QNetworkProxy::HttpProxy, url.host(), quint16(url.port(80)), user, password);
    if (scheme == QLatin1String("socks5") || scheme == QLatin1String("socks5h")) {
        QNetworkProxy proxy(QNetworkProxy::Socks5Proxy, url.host(), quint16(url.port(1080)), user, password);
        // socks5: names are looked up here; socks5h: by the proxy.
        if (scheme == QLatin1String("socks5"))
            proxy.setCapabilities(proxy.capabilities() & ~QNetworkProxy::HostNameLookupCapability);
        return proxy;
    }
    return std::nullopt;
}

} // namespace

QByteArray processVariable(const char* name) { return qgetenv(name); }

bool noProxyNames(QByteArrayView noProxy, const QString& host, int port)
{
    QString bare = host;
    if (bare.endsWith(QLatin1Char('.')))
        bare.chop(1);
    const QHostAddress hostAddress(bare);
    const auto separator = [](char c) { return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    for (qsizetype at = 0; at < noProxy.size();) {
        if (separator(noProxy[at])) {
            ++at;
            continue;
        }
        qsizetype end = at;
        while (end < noProxy.size() && !separator(noProxy[end]))
            ++end;
        const QString entry = QString::fromLocal8Bit(noProxy.sliced(at, end - at));
        if (entry == QLatin1String("*") || entryNames(entry, bare, hostAddress, port))
            return true;
        at = end;
    }
    return false;
}

EnvironmentProxy environmentProxyFor(const QUrl& address, const EnvironmentLookup& variable)
{
    const bool https = address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    Variable proxyVariable;
    if (https)
        proxyVariable = firstSet(variable, "https_proxy", "HTTPS_PROXY");
    if (proxyVariable.value.isEmpty())
        proxyVariable = firstSet(variable, "http_proxy", "HTTP_PROXY");
    if (proxyVariable.value.isEmpty())
        return {};
    if (noProxyNames(firstSet(variable, "no_proxy", "NO_PROXY").value, address.host(), address.port(https ? 443 : 80)))
        return {};
    if (std::optional<QNetworkProxy> proxy = proxyFromValue(proxyVariable.value))
        return {std::move(*proxy), {}};
    return {QNetworkProxy::NoProxy,
            QString::fromLatin1(proxyVariable.name) + QLatin1Char('=') + QString::fromLocal8Bit(proxyVariable.value)};
}

QList<QNetworkProxy> EnvironmentProxyFactory::queryProxy(const QNetworkProxyQuery& query)
{
    EnvironmentProxy choice = environmentProxyFor(query.url(), processVariable);
    if (!choice.unusable.isEmpty())
        return {QNetworkProxy(QNetworkProxy::HttpProxy, QString(), 0)};
    return {std::move(choice.proxy)};
}

} // namespace trouvel::net
