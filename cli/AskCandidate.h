// trouvel batch --ask: an ambiguous entry's candidates listed on the terminal, and the user's
// choice read from it (a number, Enter to skip the entry, q to stop and save).
#pragma once

#include "Interrupt.h"

#include "wizard/WizardModel.h"

#include <QString>

#include <optional>
#include <vector>

namespace trouvel::cli {

struct AskAnswer {
    int choice = 0;    // 1-based candidate, 0: none
    bool stop = false; // q, end of input, or Ctrl-C while asking
};

// What a typed line means for `count` candidates; nothing when it means nothing (asked again).
std::optional<AskAnswer> parseAskLine(const QString& line, int count);

// Lists the candidates on stderr and reads lines from stdin until one means something.
// The event loop runs while waiting, so that Ctrl-C is seen.
AskAnswer askCandidate(const QString& title, int row, const std::vector<wizard::Candidate>& candidates, InterruptWatch& interrupt);

} // namespace trouvel::cli
