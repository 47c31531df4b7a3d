// The thread the workbench matches on. Each pass submitted replaces the one waiting and
// abandons the one running (its patterns' keep-going check turns false at once), so typing
// never waits for a pattern that backtracks over a large page: only the last pass counts.
#pragma once

#include "PatternRun.h"

#include <QTemporaryDir>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace trouvel::atelier {

class MatchWorker {
public:
    // Called on the worker's thread with each pass that ran to its end, with its number.
    using Deliver = std::function<void(std::uint64_t pass, const PatternOutcome& outcome)>;

    explicit MatchWorker(Deliver deliver);
    ~MatchWorker(); // abandons the pass under way and waits for the thread
    MatchWorker(const MatchWorker&) = delete;
    MatchWorker& operator=(const MatchWorker&) = delete;

    // The pass's number; any earlier one is abandoned.
    std::uint64_t submit(PatternJob job);
    // Whether pass is the latest submitted (an outcome of an older one is stale).
    bool isLatest(std::uint64_t pass) const { return latest_.load() == pass; }

private:
    void run();

    Deliver deliver_;
    QTemporaryDir scratch_; // the edited script, written by each pass
    QString scratchFile_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<PatternJob> waiting_;
    std::atomic<std::uint64_t> latest_{0};
    bool quit_ = false; // under mutex_
    std::atomic<bool> quitting_{false};
    std::thread thread_;
};

} // namespace trouvel::atelier
