// Message boxes answered from a queue of answers, for the tests, the screenshot tool and the
// walk benchmark. Every box is recorded (its text and its buttons) and beeps are counted.
//
// Two ways to meet a box for which no answer is queued:
//  - ScriptedUi ui;  (lenient) an Ok box answers Ok without taking from the queue; any other
//    box takes the next queued answer, Yes when none is left;
//  - ScriptedUi ui{complain};  (strict) every box takes the next queued answer; with none
//    left, `complain` is called with the box's text (a test passes one that fails the test)
//    and the box answers Yes for Yes/No, Cancel otherwise.
// No GoogleTest here, so that the benchmark can use it without linking it.
#pragma once

#include "common/UserInteraction.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace trouvel::test {

class ScriptedUi : public UserInteraction {
public:
    using Complaint = std::function<void(const QString& text)>;

    ScriptedUi() = default;
    explicit ScriptedUi(Complaint unexpectedBox) : unexpectedBox_(std::move(unexpectedBox)) {}

    MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) override
    {
        icons.push_back(icon);
        messages.append(text);
        this->buttons.push_back(buttons);
        if (!unexpectedBox_ && buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty()) {
            if (!unexpectedBox_)
                return MsgAnswer::Yes;
            unexpectedBox_(text);
            return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Cancel;
        }
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }

    std::deque<MsgAnswer> answers; // the answers still to give, in order
    QStringList messages;          // the texts of the boxes shown, in order
    std::vector<MsgIcon> icons;    // and their icons
    std::vector<MsgButtons> buttons; // their buttons
    int beeps = 0;

private:
    Complaint unexpectedBox_; // empty: lenient
};

} // namespace trouvel::test
