// The Retry-After header of a 429 or 503 answer: how long the site asks us to wait.
#pragma once

#include <QByteArrayView>
#include <QDateTime>

#include <cstdint>
#include <optional>

namespace trouvel::net {

// Seconds to wait from `now` for a Retry-After value: delta-seconds ("120") or an HTTP-date
// in any of its three forms ("Sun, 06 Nov 1994 08:49:37 GMT", the RFC 850 and asctime
// forms). A date already past gives 0; a huge delay is capped rather than wrapped. Nothing
// for a value that is neither.
std::optional<std::int64_t> retryAfterSeconds(QByteArrayView value, const QDateTime& now);

} // namespace trouvel::net
