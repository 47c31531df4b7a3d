// The loader's thread: it runs its work once, is joined before its owner goes, and runs
// with the creator's whole processor set, whether it could start elsewhere or not.
#include "ThreadElsewhere.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>
#include <sched.h>

namespace trouvel::cli {
namespace {

cpu_set_t maskOfThisThread()
{
    cpu_set_t mask;
    CPU_ZERO(&mask);
    sched_getaffinity(0, sizeof mask, &mask);
    return mask;
}

// From the calling thread: the work's mask once it runs, and that it ran before the join.
void checkStartFromHere()
{
    const cpu_set_t creators = maskOfThisThread();
    cpu_set_t seen;
    CPU_ZERO(&seen);
    std::atomic<int> runs = 0;
    {
        ThreadElsewhere thread([&] {
            seen = maskOfThisThread();
            ++runs;
        });
    }
    EXPECT_EQ(runs.load(), 1);
    EXPECT_TRUE(CPU_EQUAL(&seen, &creators)) << CPU_COUNT(&seen) << " of " << CPU_COUNT(&creators) << " processors";
}

TEST(ThreadElsewhere, RunsOnceWithTheCreatorsProcessors)
{
    checkStartFromHere();
    // A creator held to one processor has nowhere else to start it.
    std::thread pinned([] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(sched_getcpu(), &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        checkStartFromHere();
    });
    pinned.join();
}

} // namespace
} // namespace trouvel::cli
