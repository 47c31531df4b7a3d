// The one way Trouvel's logic talks to the person at the screen: message boxes and beeps.
// The window binds it to real message boxes; tests and the command-line tool answer it.
#pragma once

#include <QString>

namespace trouvel {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };
// What a box is about, for its icon: a question (Yes/No boxes have it anyway) or a failure.
enum class MsgIcon { None, Warning };

class UserInteraction {
public:
    virtual ~UserInteraction() = default;
    // A modal message box with no title of its own. For YesNo the default is Yes.
    virtual MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) = 0;
    virtual void beep() = 0;
};

} // namespace trouvel
