// The one way Trouvel's logic talks to the person at the screen: message boxes and beeps.
// The window binds it to real message boxes; tests and the command-line tool answer it.
#pragma once

#include <QString>

namespace trouvel {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class UserInteraction {
public:
    virtual ~UserInteraction() = default;
    // A modal message box with no title of its own. For YesNo the default is Yes.
    virtual MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok) = 0;
    virtual void beep() = 0;
};

} // namespace trouvel
