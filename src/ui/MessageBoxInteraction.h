// Message boxes and beeps for the wizard, as the person at the screen sees them.
#pragma once

#include "common/UserInteraction.h"

namespace trouvel::ui {

class MessageBoxInteraction final : public UserInteraction {
public:
    MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) override;
    void beep() override;
};

} // namespace trouvel::ui
