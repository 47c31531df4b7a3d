// Message boxes of the steps, answered without a person: each text is written to standard
// error (unless quiet: a caller that reports the steps' results itself) and a Yes/No
// question gets the answer chosen on the command line.
#pragma once

#include "common/UserInteraction.h"

#include <QString>

namespace trouvel::cli {

class CliInteraction : public UserInteraction {
public:
    explicit CliInteraction(MsgAnswer yesNoAnswer = MsgAnswer::Yes, bool quiet = false)
        : answer_(yesNoAnswer), quiet_(quiet) {}

    MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) override;
    void beep() override { ++beeps_; }

    // The last text shown: what a quiet caller prints when a step that is in no result (a
    // move to the next entry) fails.
    const QString& lastMessage() const { return last_; }
    int beeps() const { return beeps_; }

private:
    MsgAnswer answer_;
    bool quiet_;
    QString last_;
    int beeps_ = 0;
};

} // namespace trouvel::cli
