// Message boxes of the steps, answered without a person: each text is written to standard
// error and a Yes/No question gets the answer chosen on the command line.
#pragma once

#include "common/UserInteraction.h"

#include <QStringList>

namespace trouvel::cli {

class CliInteraction : public UserInteraction {
public:
    explicit CliInteraction(MsgAnswer yesNoAnswer = MsgAnswer::Yes, bool quiet = false)
        : answer_(yesNoAnswer), quiet_(quiet) {}

    MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok) override;
    void beep() override { ++beeps_; }

    // Every text shown since the last take, oldest first.
    QStringList takeMessages();
    int beeps() const { return beeps_; }

private:
    MsgAnswer answer_;
    bool quiet_;
    QStringList messages_;
    int beeps_ = 0;
};

} // namespace trouvel::cli
