// Typing on abandons the pass under way: only the latest pass is delivered, at once, even
// behind a pattern that takes seconds over its page.
#include "AtelierPages.h"
#include "MatchWorker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace trouvel::atelier {
namespace {

struct Delivered {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<std::uint64_t, int>> passes; // number, matches

    bool waitFor(std::size_t count, int ms)
    {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::milliseconds(ms), [&] { return passes.size() >= count; });
    }
};

PatternJob job(const QString& pattern, const QString& page)
{
    PatternJob j;
    QFile file(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs"));
    if (file.open(QIODevice::ReadOnly))
        j.script = file.readAll();
    j.searchPage = page;
    j.pattern = pattern;
    return j;
}

TEST(MatchWorker, ANewPassAbandonsTheSlowOneAndAloneIsDelivered)
{
    Delivered delivered;
    MatchWorker worker([&](std::uint64_t pass, const PatternOutcome& outcome) {
        const std::lock_guard lock(delivered.mutex);
        delivered.passes.push_back({pass, outcome.matches});
        delivered.arrived.notify_all();
    });
    const QString page(100000, u'a');
    // How long the slow pass takes when nothing comes after it, on this machine as loaded now.
    QElapsedTimer clock;
    clock.start();
    worker.submit(job(QStringLiteral("[a]{1,5000}[#!]"), page));
    ASSERT_TRUE(delivered.waitFor(1, 60000));
    const qint64 alone = clock.elapsed();
    ASSERT_GT(alone, 500);

    const std::uint64_t slow = worker.submit(job(QStringLiteral("[a]{1,5000}[#!]"), page));
    QThread::msleep(100); // under way
    clock.restart();
    const std::uint64_t fast = worker.submit(job(QStringLiteral("a{3}"), page));
    ASSERT_TRUE(delivered.waitFor(2, 60000));
    EXPECT_LT(clock.elapsed(), alone / 2);
    QThread::msleep(200);
    const std::lock_guard lock(delivered.mutex);
    ASSERT_EQ(delivered.passes.size(), 2u);
    EXPECT_EQ(delivered.passes[1].first, fast);
    EXPECT_EQ(delivered.passes[1].second, 33333);
    EXPECT_NE(slow, fast);
    EXPECT_TRUE(worker.isLatest(fast));
}

TEST(MatchWorker, PassesSubmittedWhileOneRunsCollapseIntoTheLast)
{
    Delivered delivered;
    MatchWorker worker([&](std::uint64_t pass, const PatternOutcome& outcome) {
        const std::lock_guard lock(delivered.mutex);
        delivered.passes.push_back({pass, outcome.matches});
        delivered.arrived.notify_all();
    });
    const QString page = QString::fromUtf8(test::searchBody());
    std::uint64_t last = 0;
    for (const char* typed : {"l", "li", "lie", "lien"})
        last = worker.submit(job(QString::fromLatin1(typed), page));
    ASSERT_TRUE(delivered.waitFor(1, 5000));
    QThread::msleep(200);
    const std::lock_guard lock(delivered.mutex);
    ASSERT_FALSE(delivered.passes.empty());
    EXPECT_EQ(delivered.passes.back().first, last);
    EXPECT_EQ(delivered.passes.back().second, 2);
    EXPECT_LE(delivered.passes.size(), 2u); // the first may have run to its end before the others came
}

} // namespace
} // namespace trouvel::atelier
