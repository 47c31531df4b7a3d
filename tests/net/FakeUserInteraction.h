// Answers message boxes in tests and keeps what they said.
#pragma once

#include "common/UserInteraction.h"

#include <QStringList>

namespace trouvel::net::test {

class FakeUserInteraction : public UserInteraction {
public:
    MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok) override
    {
        messages.append(text);
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    void beep() override { ++beeps; }

    QStringList messages;
    int beeps = 0;
};

} // namespace trouvel::net::test
