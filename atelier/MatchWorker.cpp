#include "MatchWorker.h"

#include <QDir>

namespace trouvel::atelier {

MatchWorker::MatchWorker(Deliver deliver)
    : deliver_(std::move(deliver)), scratchFile_(QDir(scratch_.path()).filePath(QStringLiteral("atelier.tvs")))
{
    thread_ = std::thread([this] { run(); });
}

MatchWorker::~MatchWorker()
{
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        quitting_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

std::uint64_t MatchWorker::submit(PatternJob job)
{
    std::uint64_t pass = 0;
    {
        const std::lock_guard lock(mutex_);
        waiting_ = std::move(job);
        pass = ++latest_;
    }
    wake_.notify_one();
    return pass;
}

void MatchWorker::run()
{
    for (;;) {
        PatternJob job;
        std::uint64_t pass = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || waiting_.has_value(); });
            if (quit_)
                return;
            job = std::move(*waiting_);
            waiting_.reset();
            pass = latest_.load();
        }
        // Asked about every 50 ms while a pattern runs: a newer pass ends this one there.
        const wizard::KeepGoing keepGoing = [this, pass] { return !quitting_.load() && latest_.load() == pass; };
        const PatternOutcome outcome = runPatterns(job, scratchFile_, keepGoing);
        if (!outcome.stopped && keepGoing())
            deliver_(pass, outcome);
    }
}

} // namespace trouvel::atelier
