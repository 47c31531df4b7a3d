// frmContenu, "Choix du Contenu": picks the script field that fills one host column. Its only
// output is the text it writes into its opener's Tag: "(#-_-#)" for no change, otherwise the
// chosen position, "|" and the entry's text.
#pragma once

#include "common/UserInteraction.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace trouvel::ui {

class FrmContenu : public QDialog {
    Q_OBJECT
public:
    // The list is filled from the script at once. openerTag must outlive the window.
    FrmContenu(const QString& scriptPath, UserInteraction& ui, QString& openerTag, QWidget* parent = nullptr);

    // The column being mapped is shown in Label2.
    void setColumnName(const QString& name);

    void btGO_Click();
    void btAnnuler_Click();

    // The close box and Escape cancel, as btAnnuler does: the opener's Tag never keeps an
    // answer from an earlier opening.
    void reject() override;

private:
    void Form_Load(const QString& scriptPath);

    UserInteraction& ui_;
    QString& openerTag_;
    QLabel* Label1;
    QLabel* Label2;
    QComboBox* Combo1;
    QFrame* Line1;
    QPushButton* btGO;
    QPushButton* btAnnuler;
};

} // namespace trouvel::ui
