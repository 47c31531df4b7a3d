// Trying an entry again when the site asks for patience or the connection broke: a 429 or
// 503 answer with Retry-After waits as asked, within a bound; a refused or reset connection
// is tried again after a growing pause. Anything else, a time-out above all (the site is
// stalled, waiting longer would only stall the walk), is not tried again.
#pragma once

#include "Arguments.h"
#include "ResultLog.h"
#include "WizardSession.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>

namespace trouvel::cli {

struct RetryLimits {
    std::int64_t maxWaitSeconds = 300; // what the site may make one entry wait, in all
    int backoffMs = 1000;              // before the first new try of a broken connection; doubled after
    int connectionRetries = 2;
    int askedRetries = 5; // Retry-After answers honoured per entry ("0" would loop otherwise)
};

// Where an entry stands in its tries.
struct RetryCount {
    int connection = 0;
    int asked = 0;
    std::int64_t waitedSeconds = 0;
};

struct RetryStep {
    enum class Kind {
        None,   // not a failure that a new try can mend: the result stands
        Wait,   // wait waitMs, then try again
        GiveUp, // could be mended, but not within the limits: the result stands, why says why
    };
    Kind kind = Kind::None;
    std::int64_t waitMs = 0;
    QString why; // French: what the wait is for, or why there is none
};

// --max-wait SECONDS and --retry-delay MS into limits; "" or why not (French).
QString readRetryLimits(const Arguments& arguments, RetryLimits* limits);

// What follows a failed try whose last page fetch was `fetch`; counts the try it allows.
RetryStep nextRetry(const PageFetch& fetch, RetryCount& count, const RetryLimits& limits, const QDateTime& now);

// Runs attempt() again while nextRetry allows, after a line on stderr and wait(ms) (false:
// interrupted, no new try). first is the entry's first try; the last try's result is
// returned, with the reason the tries stopped when they could have gone on.
EntryResult retryEntry(EntryResult first, const WizardSession& session, const RetryLimits& limits,
                       const std::function<EntryResult()>& attempt, const std::function<bool(std::int64_t ms)>& wait);

} // namespace trouvel::cli
