// Retry-After values in their four forms, and the header taken from the final response.
#include "net/ResponseFraming.h"
#include "net/RetryAfter.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace trouvel::net {
namespace {

const QDateTime kNow(QDate(2026, 3, 1), QTime(12, 0, 0), QTimeZone::utc());

struct RetryAfterCase {
    const char* name;
    const char* value;
    std::optional<std::int64_t> seconds;
};

class RetryAfterValue : public ::testing::TestWithParam<RetryAfterCase> {};

TEST_P(RetryAfterValue, SecondsFromNow)
{
    EXPECT_EQ(retryAfterSeconds(GetParam().value, kNow), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, RetryAfterValue,
    ::testing::Values(RetryAfterCase{"DeltaSeconds", "120", 120}, RetryAfterCase{"Zero", "0", 0},
                      RetryAfterCase{"SpacesAround", "  7\t", 7},
                      RetryAfterCase{"HugeDeltaCapped", "99999999999999999999999", std::int64_t(1) << 40},
                      RetryAfterCase{"ImfFixdate", "Sun, 01 Mar 2026 12:01:30 GMT", 90},
                      RetryAfterCase{"Rfc850", "Sunday, 01-Mar-26 12:00:05 GMT", 5},
                      RetryAfterCase{"Asctime", "Sun Mar  1 13:00:00 2026", 3600},
                      RetryAfterCase{"DatePastIsZero", "Sun, 06 Nov 1994 08:49:37 GMT", 0},
                      RetryAfterCase{"NextDay", "Mon, 02 Mar 2026 12:00:00 GMT", 86400},
                      RetryAfterCase{"Negative", "-5", std::nullopt}, RetryAfterCase{"Fraction", "1.5", std::nullopt},
                      RetryAfterCase{"Empty", "", std::nullopt}, RetryAfterCase{"Words", "soon", std::nullopt},
                      RetryAfterCase{"NoGmt", "Sun, 01 Mar 2026 12:01:30 UTC", std::nullopt},
                      RetryAfterCase{"BadMonth", "Sun, 01 Mrz 2026 12:01:30 GMT", std::nullopt},
                      RetryAfterCase{"BadDay", "Sun, 31 Feb 2026 12:01:30 GMT", std::nullopt},
                      RetryAfterCase{"BadTime", "Sun, 01 Mar 2026 25:01:30 GMT", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct FramingRetryCase {
    const char* name;
    QByteArray response;
    QByteArray expected;
};

class RetryAfterHeader : public ::testing::TestWithParam<FramingRetryCase> {};

TEST_P(RetryAfterHeader, OfTheFinalResponse)
{
    ResponseFraming framing;
    framing.feed(GetParam().response);
    ASSERT_TRUE(framing.headComplete());
    EXPECT_EQ(framing.retryAfter(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Responses, RetryAfterHeader,
    ::testing::Values(FramingRetryCase{"TooManyRequests", "HTTP/1.1 429 Too Many Requests\r\nretry-after:  3 \r\nContent-Length: 0\r\n\r\n", "3"},
                      FramingRetryCase{"NotAfterInterim",
                                       "HTTP/1.1 100 Continue\r\nRetry-After: 9\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", ""},
                      FramingRetryCase{"None", "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::net
