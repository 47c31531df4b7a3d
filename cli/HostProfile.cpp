#include "HostProfile.h"

#include "Arguments.h"

#include "net/Address.h"

#include <QDir>
#include <QHostAddress>
#include <QStandardPaths>

namespace trouvel::cli {

QString defaultCadrelleIni()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("Cadrelle.ini"));
}

std::optional<wizard::HostProxy> proxyOption(const QString& hostPort, QString* error)
{
    const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = colon > 0 ? hostPort.mid(colon + 1).toUInt(&ok) : 0;
    if (!ok || port == 0 || port > 65535) {
        *error = QStringLiteral("--proxy attend HÔTE:PORT, pas « %1 »").arg(hostPort);
        return std::nullopt;
    }
    return wizard::HostProxy{true, hostPort.left(colon), QString::number(port)};
}

bool networkOptionsFrom(const Arguments& arguments, wizard::NetworkSettings* settings, QString* error)
{
    if (arguments.isSet(QStringLiteral("proxy"))) {
        const std::optional<wizard::HostProxy> proxy = proxyOption(arguments.value(QStringLiteral("proxy")), error);
        if (!proxy)
            return false;
        settings->proxy = *proxy;
    } else {
        settings->proxy = wizard::readHostProxy(defaultCadrelleIni());
    }
    if (arguments.isSet(QStringLiteral("timeout"))) {
        const std::optional<int> limit = wizard::timeLimitFromSeconds(arguments.value(QStringLiteral("timeout")));
        if (!limit) {
            *error = QStringLiteral("--timeout attend un nombre de secondes (de 0,001 à 3600)");
            return false;
        }
        settings->timeLimitMs = *limit;
    }
    return true;
}

bool webSessionFrom(const Arguments& arguments, std::shared_ptr<net::WebSession>* web, QString* error)
{
    *web = std::make_shared<net::WebSession>();
    if (!arguments.isSet(QStringLiteral("cookies")))
        return true;
    *error = (*web)->loadCookieFile(arguments.value(QStringLiteral("cookies")));
    return error->isEmpty();
}

bool isLoopbackAddress(const QString& url)
{
    const auto parts = net::parseAddress(url);
    if (!parts)
        return false;
    QString host = parts->authority.section(QLatin1Char('@'), -1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1).section(QLatin1Char(']'), 0, 0);
    else
        host = host.section(QLatin1Char(':'), 0, 0);
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace trouvel::cli
