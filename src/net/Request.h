// The request the page client writes for an address, byte for byte.
#pragma once

#include "net/Address.h"

#include <QByteArray>

namespace trouvel::net {

// What the session adds to a request.
struct RequestIdentity {
    QByteArray scriptUserAgent; // the script's User-Agent; empty: the client's own
    QByteArray cookies;         // the Cookie header's value for the address; empty: none
};

// The request bytes for an address, exactly as sent. keptBody: a POST body carried over a
// 307 or 308 redirect (the address's own query then goes into the request line).
// A GET says after Host who the client is and what it accepts, as a browser does; a POST
// sends its own header lines, with the script's User-Agent when it names one.
QByteArray buildRequest(const AddressParts& address, bool methodGet, bool http11, bool viaProxy,
                        const QByteArray* keptBody = nullptr, const RequestIdentity& identity = {});

} // namespace trouvel::net
