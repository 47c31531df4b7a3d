// How the downloads reach the network: the host's proxy, when it names one, and the limits
// every transfer runs under.
#pragma once

#include <QString>

#include <cstdint>
#include <limits>
#include <optional>

namespace trouvel::net {

constexpr qint64 kDefaultMaxDownloadBytes = 64LL * 1024 * 1024;
// A connection not set up, or a response silent, for this long ends the transfer.
constexpr int kDefaultTimeLimitMs = 30000;
// And a transfer ends after this long in all, however steadily the bytes come: four times the
// silence limit (120 s by default).
constexpr int overallLimitMs(int timeLimitMs)
{
    return timeLimitMs > std::numeric_limits<int>::max() / 4 ? std::numeric_limits<int>::max() : timeLimitMs * 4;
}

struct ProxySetting {
    QString host;
    std::uint16_t port = 0;
};

struct NetOptions {
    // Set: every download goes through this proxy. Unset: the page client connects directly
    // and the picture download follows the system's settings (http_proxy, no_proxy, ...).
    std::optional<ProxySetting> proxy;
    int timeLimitMs = kDefaultTimeLimitMs;
    qint64 maxBytes = kDefaultMaxDownloadBytes;
};

// The proxy port as the host's settings write it; nothing when it is not a port number.
std::optional<std::uint16_t> parseProxyPort(const QString& text);

// "30 s", "1,5 s", "200 ms": a time limit as the messages show it.
QString durationText(int milliseconds);

} // namespace trouvel::net
