// Trying a page fetch again when the site asks for patience or the connection broke: a 429
// or 503 answer with Retry-After waits as asked, within a bound; a refused or reset
// connection is tried again after a growing pause. Anything else, a time-out above all (the
// site is stalled, waiting longer would only stall the walk), is not tried again. Used by the
// unattended walks: the tool's batch and the window's "Sauvegarde Auto".
#pragma once

#include "net/PageReport.h"

#include <QDateTime>
#include <QString>

#include <cstdint>

namespace trouvel::net {

struct RetryLimits {
    std::int64_t maxWaitSeconds = 300; // what the site may make one entry wait, in all
    int backoffMs = 1000;              // before the first new try of a broken connection; doubled after
    int connectionRetries = 2;
    int askedRetries = 5; // Retry-After answers honoured per entry ("0" would loop otherwise)
    QString maxWaitName;  // how the user sets maxWaitSeconds ("--max-wait"), named when it is reached
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

// What follows a fetch that ended with result code `code` and `report`; counts the try it
// allows. A fetch that failed without a code is not one to try again: callers do not ask.
RetryStep nextRetry(std::int16_t code, const PageReport& report, RetryCount& count, const RetryLimits& limits,
                    const QDateTime& now);

} // namespace trouvel::net
