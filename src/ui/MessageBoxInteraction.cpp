#include "ui/MessageBoxInteraction.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace trouvel::ui {

MsgAnswer MessageBoxInteraction::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon)
{
    QMessageBox box;
    box.setWindowTitle(QString());
    box.setText(text);
    if (icon == MsgIcon::Warning)
        box.setIcon(QMessageBox::Warning);
    else if (buttons != MsgButtons::Ok)
        box.setIcon(QMessageBox::Question);
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return MsgAnswer::Ok;
    }
}

void MessageBoxInteraction::beep()
{
    QApplication::beep();
}

} // namespace trouvel::ui
