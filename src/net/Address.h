// Where the page client connects for an address on the direct path.
#pragma once

#include <QString>

#include <cstdint>

namespace trouvel::net {

struct Endpoint {
    QString host;
    std::uint16_t port = 80;
    bool tls = false;
};

// The host and port of an authority ("host", "host:8080", "[::1]:8080", "user@host"),
// with the scheme's default port when none is written (443 for https, 80 otherwise).
// A port that is not a number from 1 to 65535 is left in the host name, so that the
// connection fails with a host-not-found error rather than going somewhere else.
Endpoint directEndpoint(const QString& scheme, const QString& authority);

// True when the text holds a byte that would break the request apart (CR, LF or NUL).
bool hasLineBreakingCharacters(const QString& text);

} // namespace trouvel::net
