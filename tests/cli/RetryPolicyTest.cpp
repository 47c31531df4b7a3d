// When a failed try is tried again and after how long; the report's CSV fields.
#include "BatchReport.h"
#include "RetryPolicy.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace trouvel::cli;

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
    PageFetch fetch;
    fetch.code = c.code;
    fetch.http = {c.status, QStringLiteral("Raison")};
    fetch.retryAfter = c.retryAfter;
    fetch.socketError = c.socketError;
    RetryLimits limits;
    limits.maxWaitSeconds = 10;
    limits.backoffMs = 100;
    RetryCount count = c.before;
    const RetryStep step = nextRetry(fetch, count, limits, QDateTime(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc()));
    EXPECT_EQ(step.kind, c.kind);
    EXPECT_EQ(step.waitMs, c.waitMs);
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

TEST(BatchReport, CsvQuotesWhatNeedsItAndFormatsByExtension)
{
    EntryResult ambiguous(0, QStringLiteral("Heat, le \"vrai\""), Outcome::Ambiguous, 2, {});
    ambiguous.candidateTexts = {QStringLiteral("Heat | 1995"), QStringLiteral("Heat | 1986")};
    EntryResult failed(1, QStringLiteral("Nord"), Outcome::Failed, 0, QStringLiteral("recherche : HTTP 503"));
    failed.stage = QStringLiteral("recherche");
    failed.retryNote = QStringLiteral("attente trop longue");
    const EntryResult unsaved(2, QStringLiteral("Sud"), Outcome::PictureNotStored, 1, QStringLiteral("disque plein"));
    EXPECT_EQ(QString::fromUtf8(formatReport({ambiguous, failed, unsaved}, ReportFormat::Csv)),
              QString::fromUtf8("n°,titre,résultat,candidats,étape,raison\r\n"
                                "1,\"Heat, le \"\"vrai\"\"\",ambigu,\"Heat | 1995\nHeat | 1986\",,\r\n"
                                "2,Nord,échec,,recherche,recherche : HTTP 503 ; attente trop longue\r\n"
                                "3,Sud,image non enregistrée,,enregistrement,disque plein\r\n"));
    EXPECT_EQ(reportFormatFor(QStringLiteral("a/r.JSON")), ReportFormat::Json);
    EXPECT_EQ(reportFormatFor(QStringLiteral("r.csv")), ReportFormat::Csv);
    EXPECT_EQ(reportFormatFor(QStringLiteral("r.csv.txt")), std::nullopt);
}

} // namespace
