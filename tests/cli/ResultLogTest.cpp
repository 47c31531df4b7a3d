// The packed results of a walk read back exactly as they were added.
#include "ResultLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace trouvel::cli;

TEST(ResultLog, ReadsBackEveryResultAsAdded)
{
    EntryResult ambiguous(7, QString::fromUtf8("L'Été \"2\""), Outcome::Ambiguous, 3, {});
    ambiguous.candidateTexts = {QString::fromUtf8("Été | 1961"), QString(), QString(70000, QChar(u'é'))};
    EntryResult failed(32765, QStringLiteral("Nord"), Outcome::Failed, 0, QStringLiteral("recherche : HTTP 503"));
    failed.stage = QStringLiteral("recherche");
    failed.retryNote = QString::fromUtf8("réessayé 3 fois");
    const std::vector<EntryResult> added = {
        {0, QStringLiteral("Nord/Sud"), Outcome::Filled, 1, {}},
        ambiguous,
        failed,
        {200, QString(), Outcome::NotFound, 0, {}},
        {201, QStringLiteral("X"), Outcome::PictureNotStored, 1, QStringLiteral("disque plein")},
    };
    ResultLog log;
    for (const EntryResult& r : added)
        log.push_back(r);

    ASSERT_EQ(log.size(), added.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
        EXPECT_EQ(log.at(i), added[i]) << "result " << i;
        EXPECT_EQ(log.outcomeAt(i), added[i].outcome) << "result " << i;
    }
    EXPECT_TRUE(std::equal(log.begin(), log.end(), added.begin(), added.end()));
    EXPECT_EQ(log[1].candidateTexts[2].size(), 70000);

    const ResultLog copy = log;
    log.clear();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(log.begin(), log.end());
    EXPECT_EQ(copy.at(4), added[4]);
    EXPECT_THROW(copy.at(5), std::out_of_range);
}
