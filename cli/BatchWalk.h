// The walk of trouvel batch, one entry at a time: the entry's search (tried again as the
// retry rules allow), the candidate asked for with --ask, then the save of an entry that its
// steps filled, or the move to the next one. Each entry's result goes into the summary, read
// from the steps' own results, with a checkpoint every so many entries and seconds.
#pragma once

#include "BatchCheckpoints.h"
#include "BatchSummary.h"
#include "Interrupt.h"
#include "RetryPolicy.h"
#include "WizardSession.h"

namespace trouvel::cli {

struct WalkSettings {
    int delayMs = 0; // between two entries
    RetryLimits retry;
    bool ask = false;
    int checkpointEntries = 200; // 0: no checkpoint by count
    int checkpointSeconds = 30;  // 0: none by time
};

// An entry's result as its steps (and its save, when given) came to.
EntryResult entryResultOf(int row, const QString& title, const wizard::EntrySteps& steps,
                          const wizard::SaveResult* save = nullptr);

class BatchWalk {
public:
    BatchWalk(WizardSession& session, BatchCheckpoints& checkpoints, BatchSummary& summary, InterruptWatch& interrupt,
              WalkSettings settings)
        : session_(session)
        , checkpoints_(checkpoints)
        , summary_(summary)
        , interrupt_(interrupt)
        , settings_(settings)
    {
    }

    enum class End { Done, Stopped, Broken };
    // Walks `total` entries from the current one. Throws std::runtime_error when a
    // checkpoint fails (checkpoints.error() says why).
    End run(int total);
    // The row after the last entry handled (0-based).
    int nextRow() const { return nextRow_; }

private:
    EntryResult walkEntry(int row, const QString& title, bool& userStopped);
    void wait(int ms);

    WizardSession& session_;
    BatchCheckpoints& checkpoints_;
    BatchSummary& summary_;
    InterruptWatch& interrupt_;
    WalkSettings settings_;
    int nextRow_ = 0;
};

} // namespace trouvel::cli
