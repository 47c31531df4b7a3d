// Trying a batch entry again when the site asks for patience or the connection broke, as
// net/RetryPolicy.h decides; the limits come from --max-wait and --retry-delay.
#pragma once

#include "Arguments.h"
#include "ResultLog.h"
#include "WizardSession.h"

#include "net/RetryPolicy.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>

namespace trouvel::cli {

using net::RetryCount;
using net::RetryLimits;
using net::RetryStep;

// --max-wait SECONDS and --retry-delay MS into limits; "" or why not (French).
QString readRetryLimits(const Arguments& arguments, RetryLimits* limits);

// What follows a failed try whose last page fetch was `fetch` (net::nextRetry).
RetryStep nextRetry(const PageFetch& fetch, RetryCount& count, const RetryLimits& limits, const QDateTime& now);

// Runs attempt() again while nextRetry allows, after a line on stderr and wait(ms) (false:
// interrupted, no new try). first is the entry's first try; the last try's result is
// returned, with the reason the tries stopped when they could have gone on.
EntryResult retryEntry(EntryResult first, const WizardSession& session, const RetryLimits& limits,
                       const std::function<EntryResult()>& attempt, const std::function<bool(std::int64_t ms)>& wait);

} // namespace trouvel::cli
