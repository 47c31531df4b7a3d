#include "ui/MessageBoxInteraction.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace {

using trouvel::MsgAnswer;
using trouvel::MsgButtons;

// Answers the next message box with one key, once it is on screen, and notes what it showed.
class KeyAnswer : public QObject {
public:
    explicit KeyAnswer(int key) : key_(key) { qApp->installEventFilter(this); }
    ~KeyAnswer() override { qApp->removeEventFilter(this); }

    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box != nullptr && event->type() == QEvent::Show) {
            title = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            QPointer<QMessageBox> target(box);
            QTimer::singleShot(0, this, [this, target] {
                if (!target)
                    return;
                QKeyEvent press(QEvent::KeyPress, key_, Qt::NoModifier);
                QApplication::sendEvent(target, &press);
            });
        }
        return false;
    }

private:
    int key_;
};

struct BoxCase {
    const char* name;
    MsgButtons buttons;
    int key;
    QMessageBox::StandardButtons shown;
    MsgAnswer answer;
};

class MessageBoxAnswers : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxAnswers, ButtonsDefaultsAndNoTitle)
{
    const BoxCase& c = GetParam();
    KeyAnswer answer(c.key);
    trouvel::ui::MessageBoxInteraction ui;
    EXPECT_EQ(ui.messageBox(QStringLiteral("'x.tvs' n'existe pas"), c.buttons), c.answer);
    EXPECT_EQ(answer.text, QStringLiteral("'x.tvs' n'existe pas"));
    EXPECT_EQ(answer.title, QString());
    EXPECT_EQ(answer.buttons, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageBoxAnswers,
    ::testing::Values(BoxCase{"ok_enter", MsgButtons::Ok, Qt::Key_Return, QMessageBox::Ok, MsgAnswer::Ok},
                      BoxCase{"ok_escape", MsgButtons::Ok, Qt::Key_Escape, QMessageBox::Ok, MsgAnswer::Ok},
                      BoxCase{"yesno_enter_is_yes", MsgButtons::YesNo, Qt::Key_Return, QMessageBox::Yes | QMessageBox::No, MsgAnswer::Yes},
                      BoxCase{"yesno_escape_is_no", MsgButtons::YesNo, Qt::Key_Escape, QMessageBox::Yes | QMessageBox::No, MsgAnswer::No},
                      BoxCase{"yesnocancel_enter_is_yes", MsgButtons::YesNoCancel, Qt::Key_Return,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, MsgAnswer::Yes},
                      BoxCase{"yesnocancel_escape_is_cancel", MsgButtons::YesNoCancel, Qt::Key_Escape,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, MsgAnswer::Cancel}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
