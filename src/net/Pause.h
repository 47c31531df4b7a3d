// A wait before a new try that leaves the thread's events handled meanwhile (a click on
// Stop, the window closing).
#pragma once

#include <cstdint>
#include <functional>

namespace trouvel::net {

// Waits ms on the event loop, or less when cancelled() turns true after an event; false then.
bool pauseFor(std::int64_t ms, const std::function<bool()>& cancelled);

} // namespace trouvel::net
