#include "wizard/NetworkSettings.h"

#include "config/IniFile.h"

#include <algorithm>

namespace trouvel::wizard {

HostProxy readHostProxy(const QString& hostIni)
{
    const QString internet = QStringLiteral("Internet");
    HostProxy proxy;
    proxy.use = config::IniFlag(config::ReadIniString(hostIni, internet, QStringLiteral("UseProxy"), QStringLiteral("0")));
    if (proxy.use) {
        proxy.host = config::ReadIniString(hostIni, internet, QStringLiteral("HostProxy"), {});
        proxy.port = config::ReadIniString(hostIni, internet, QStringLiteral("PortProxy"), {});
    }
    return proxy;
}

std::optional<int> timeLimitFromSeconds(const QString& text)
{
    QString value = text.trimmed();
    value.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || !(seconds >= 0.001 && seconds <= 3600))
        return std::nullopt;
    return std::max(1, int(seconds * 1000 + 0.5));
}

int storedTimeLimitMs(config::SettingsStore& settings)
{
    const QString stored = settings.GetSetting(QStringLiteral("Trouvel"), QStringLiteral("Options"), QStringLiteral("TimeOut"), {});
    return timeLimitFromSeconds(stored).value_or(net::kDefaultTimeLimitMs);
}

NetworkSettings readNetworkSettings(const QString& hostIni, config::SettingsStore& settings)
{
    return {readHostProxy(hostIni), storedTimeLimitMs(settings)};
}

net::NetOptions pictureOptions(const NetworkSettings& settings)
{
    net::NetOptions options;
    options.timeLimitMs = settings.timeLimitMs;
    // The picture goes the page's way; an incomplete proxy already stops the page fetch.
    if (settings.proxy.use)
        if (const auto port = net::parseProxyPort(settings.proxy.port); port && !settings.proxy.host.isEmpty())
            options.proxy = net::ProxySetting{settings.proxy.host, *port};
    return options;
}

} // namespace trouvel::wizard
