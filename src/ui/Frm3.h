// frm3, "Exportation des informations": one row per host column with the script field mapped
// to it. The rows are rebuilt from Trouvel.ini and the script at every opening, each field
// following its column when columns were added, deleted, moved or renamed since (those rows
// are highlighted and say why); a double click or Enter on the list lets frmContenu change the
// selected row; OK (or closing the window) writes every row back, Annuler (Escape) writes nothing.
#pragma once

#include "common/UserInteraction.h"
#include "mapping/ColumnMapping.h"

#include <trouvel/Trouvel.h>

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace trouvel::ui {

class FrmContenu;

class Frm3 : public QDialog {
    Q_OBJECT
public:
    // Fills the rows at once; errors of the host (and a column count beyond 16 bits) are
    // passed on, and the window is then not usable.
    Frm3(HostApplication& host, QString scriptPath, QString section, UserInteraction& ui, QWidget* parent = nullptr);

    // The chooser writes its answer here.
    QString Tag;

    // Runs the chooser modally; exec() unless replaced.
    std::function<void(FrmContenu&)> showChooser;

    void Colonne_DblClick();
    // keyCode as the key-up event gives it: 13 is Enter.
    void Colonne_KeyUp(int keyCode);
    void btGo_Click();
    void btAnnuler_Click();

    // The rows as the list shows them now.
    std::vector<mapping::MappingRow> rows() const;
    // The mapping was written and differs from what Trouvel.ini held before.
    bool mappingChanged() const { return changed_; }

    // Closing writes the mapping; a write that fails keeps the window open unless the user
    // chooses to leave without saving.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape is Annuler.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    bool Form_Unload();

    HostApplication& host_;
    QString scriptPath_;
    QString section_;
    UserInteraction& ui_;
    // Set when Enter went down on the list, so that a key-up left over from a window that
    // closed on the key-down (the chooser's Enter) does not reopen the chooser.
    bool enterDown_ = false;
    bool cancelled_ = false;
    bool changed_ = false;
    std::vector<mapping::MappingRow> loaded_; // as Trouvel.ini held them at the opening
    bool columnsChanged_ = false;             // the captions stored differ from the host's

    QLabel* Label4;
    QLabel* Label5;
    QGroupBox* Frame1; // no caption
    QTreeWidget* Colonne;
    QPushButton* btGo;
    QPushButton* btAnnuler;
};

} // namespace trouvel::ui
