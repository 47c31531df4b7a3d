// When a failed fetch is tried again and after how long, and the wait before it.
#include "net/Pause.h"
#include "net/RetryPolicy.h"

#include <QTimer>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace trouvel::net;

namespace {

struct RetryCase {
    const char* name;
    std::int16_t code;
    int status;
    const char* retryAfter;
    int socketError;
    RetryCount before;
    RetryStep::Kind kind;
    std::int64_t waitMs;
};

class NextRetry : public ::testing::TestWithParam<RetryCase> {};

TEST_P(NextRetry, DecidesAndCounts)
{
    const RetryCase& c = GetParam();
    PageReport report;
    report.status = c.status;
    report.reason = QStringLiteral("Raison");
    report.retryAfter = c.retryAfter;
    report.socketError = c.socketError;
    RetryLimits limits;
    limits.maxWaitSeconds = 10;
    limits.backoffMs = 100;
    limits.maxWaitName = QStringLiteral("--max-wait");
    RetryCount count = c.before;
    const RetryStep step = nextRetry(c.code, report, count, limits, QDateTime(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc()));
    EXPECT_EQ(step.kind, c.kind);
    EXPECT_EQ(step.waitMs, c.waitMs);
    // The bound is named as the user sets it.
    const QByteArrayView name(c.name);
    EXPECT_EQ(step.why.contains(QStringLiteral("(--max-wait)")), name == "BeyondTheBoundGivesUp" || name == "BoundIsForTheWholeEntry");
    EXPECT_EQ(step.why.isEmpty(), step.kind == RetryStep::Kind::None);
    // Only a wait counts as a try.
    const bool waited = step.kind == RetryStep::Kind::Wait;
    EXPECT_EQ(count.asked + count.connection, c.before.asked + c.before.connection + (waited ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NextRetry,
    ::testing::Values(RetryCase{"TooManyWaitsAsAsked", 0, 429, "3", 0, {}, RetryStep::Kind::Wait, 3000},
                      RetryCase{"UnavailableWithDate", 0, 503, "Sun, 01 Mar 2026 12:00:04 GMT", 0, {}, RetryStep::Kind::Wait, 4000},
                      RetryCase{"AtTheBoundWaits", 0, 429, "10", 0, {}, RetryStep::Kind::Wait, 10000},
                      RetryCase{"BeyondTheBoundGivesUp", 0, 429, "11", 0, {}, RetryStep::Kind::GiveUp, 0},
                      RetryCase{"BoundIsForTheWholeEntry", 0, 429, "5", 0, {0, 1, 6}, RetryStep::Kind::GiveUp, 0},
                      RetryCase{"AskedTooOften", 0, 429, "0", 0, {0, 5, 0}, RetryStep::Kind::GiveUp, 0},
                      RetryCase{"NoRetryAfterIsFinal", 0, 503, "", 0, {}, RetryStep::Kind::None, 0},
                      RetryCase{"UnreadableRetryAfterIsFinal", 0, 429, "bientôt", 0, {}, RetryStep::Kind::None, 0},
                      RetryCase{"OtherStatusIgnoresRetryAfter", 0, 404, "1", 0, {}, RetryStep::Kind::None, 0},
                      RetryCase{"RefusedBacksOff", 0, 0, "", 10061, {}, RetryStep::Kind::Wait, 100},
                      RetryCase{"ResetBacksOffLonger", 0, 0, "", 10054, {1, 0, 0}, RetryStep::Kind::Wait, 200},
                      RetryCase{"ThirdRefusalGivesUp", 0, 0, "", 10061, {2, 0, 0}, RetryStep::Kind::GiveUp, 0},
                      RetryCase{"TimeOutIsFinal", 5, 0, "", 0, {}, RetryStep::Kind::None, 0},
                      RetryCase{"OtherSocketErrorIsFinal", 0, 0, "", 11001, {}, RetryStep::Kind::None, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PauseFor, EndsOnItsTimeOrWhenCancelledByAnEvent)
{
    EXPECT_TRUE(pauseFor(1, [] { return false; }));
    // A click on Stop is an event like this one: the wait ends on it, long before its time.
    bool stopped = false;
    QTimer::singleShot(0, [&stopped] { stopped = true; });
    EXPECT_FALSE(pauseFor(600000, [&stopped] { return stopped; }));
}

} // namespace
