// Addresses as the page client reads them: their parts, the query as sent, and where the
// client connects on the direct path.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

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

// The path or query of an address as it may stand in a request line: UTF-8, with every byte
// that may not stand there (blanks, controls, quotes, angle brackets, non-ASCII, ...) written
// as %XX. "%" is kept, so an address already encoded is sent as it is.
QByteArray encodeTargetPart(const QString& text, bool query);

// True when the text holds a byte that would break the request apart (CR, LF or NUL).
bool hasLineBreakingCharacters(const QString& text);

// Every " " replaced by "+"; nothing else is encoded.
QString SpacesToPlus(const QString& text);

// The parts of an address, as the address pattern cuts them out.
struct AddressParts {
    QString scheme;
    QString authority;
    QString path;
    QString query; // after SpacesToPlus
};
// Nothing when the address does not match the address pattern (empty, begins with "&").
std::optional<AddressParts> parseAddress(const QString& url);

} // namespace trouvel::net
