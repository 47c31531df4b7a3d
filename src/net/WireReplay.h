// Recorded hops of one page fetch stored into a page file as the page client stores them
// live: each response read through the same framing, decoding and line-end conversion, and
// its redirects reported. What a fixture replays instead of going to the network.
#pragma once

#include "net/SocketPageClient.h"

#include <QIODevice>

#include <vector>

namespace trouvel::net {

// Writes the page file for url from hops (the first answers url, each next one the redirect
// before it) and returns what DownloadPage would have reported. Throws DownloadError for a
// body whose compression does not decode, as the live fetch does.
PageReport replayWire(const QString& url, const std::vector<WireExchange>& hops, QIODevice& file);

} // namespace trouvel::net
