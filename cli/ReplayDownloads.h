// The two downloads of the steps served from a recorded title instead of the network: the
// same interfaces the network's client and picture download stand behind, so that the steps
// replayed are the steps themselves. Pages go through the page client's own framing and
// decoding (net::replayWire); the picture is the file that arrived.
#pragma once

#include "Fixture.h"

#include "wizard/PageClient.h"

#include <functional>
#include <memory>

namespace trouvel::cli {

using PageClientFactory = std::function<std::unique_ptr<wizard::PageClient>(std::int16_t& stopDownload)>;

// A fetch that was not recorded (the script now asks for another address) fails outright.
PageClientFactory replayPageClient(std::shared_ptr<const Fixture> fixture);
wizard::PictureDownload replayPictureDownload(std::shared_ptr<const Fixture> fixture);

} // namespace trouvel::cli
