// The request the page client writes for an address, byte for byte.
#pragma once

#include "net/Address.h"

#include <QByteArray>

namespace trouvel::net {

// The request bytes for an address, exactly as sent. keptBody: a POST body carried over a
// 307 or 308 redirect (the address's own query then goes into the request line).
QByteArray buildRequest(const AddressParts& address, bool methodGet, bool http11, bool viaProxy,
                        const QByteArray* keptBody = nullptr);

} // namespace trouvel::net
