// The wizard window: every control of the three steps, bound both ways to the engine's model.
// The window holds no logic of its own beyond the keyboard rules (default button, Escape).
#pragma once

#include "wizard/WizardEngine.h"

#include <QDialog>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QTreeWidget;

namespace trouvel::ui {

class Form1 : public QDialog {
    Q_OBJECT
public:
    // services.openMappingDialog, when empty, opens the mapping dialog over this window;
    // services.requestClose is chained: the window hides first.
    Form1(ModuleState& state, UserInteraction& ui, config::SettingsStore& settings, wizard::WizardServices services,
          QWidget* parent = nullptr);
    ~Form1() override;

    wizard::WizardEngine& engine() { return *engine_; }

    // Twips to pixels at this window's screen resolution.
    int twipsX(int twips) const;
    int twipsY(int twips) const;

    // The window's size within `available` (a screen's free area): the design's size when it
    // fits, else as large as the area allows, the controls scrolling inside.
    void fitTo(const QRect& available);

    void done(int result) override;
    void reject() override; // Escape and the close box: Quit

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter on a focused button presses that button, not the default one.
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void bindModel();
    void addFieldRowWidgets(int k);
    void showFieldRow(int k);
    void showFieldTarget(int k);
    // The field rows one under the other, a long one taking several lines.
    void placeFieldRows();
    // Places the controls for a window of this size (at least the design's).
    void layoutControls(const QSize& window);
    void showCandidates();
    void showPicture();
    void showDefaultButton();
    void showFrames();
    // The list's own tool tip: the file of the selected script.
    void showScriptFile();

    ModuleState& state_;
    UserInteraction& ui_;
    std::unique_ptr<wizard::WizardEngine> engine_;

    QScrollArea* contentArea_ = nullptr;
    QWidget* content_ = nullptr; // the controls, at the design's size
    QComboBox* list1_ = nullptr;
    QGroupBox* etape1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* titre_ = nullptr;
    QPushButton* btChercher_ = nullptr;
    QGroupBox* etape2_ = nullptr;
    QTreeWidget* listView1_ = nullptr;
    QLineEdit* tbUrl_ = nullptr;
    QPushButton* btchercher2_ = nullptr;
    QGroupBox* etape3_ = nullptr;
    QScrollArea* fieldArea_ = nullptr;
    QWidget* fieldPanel_ = nullptr;
    std::vector<QLabel*> lbl_champ_;
    std::vector<QLineEdit*> champ_;
    std::vector<QCheckBox*> update_;
    std::vector<QLabel*> target_; // where each field goes
    struct Stretch;
    struct Placement;
    std::vector<Placement> placements_;    // the controls with their design place
    std::vector<QPlainTextEdit*> champLong_; // a long value's box, shown instead of champ_
    std::vector<bool> longRow_;              // the row shows its value in several lines
    int rowGrowth_ = 0;                      // pixels the rows are wider than the design
    QLabel* img_ = nullptr;
    QCheckBox* updateImg_ = nullptr;
    QPushButton* btOptions_ = nullptr;
    QPushButton* btStop_ = nullptr;
    QCheckBox* auto_ = nullptr;
    QCheckBox* remplacer_ = nullptr;
    QProgressBar* walkProgress_ = nullptr;
    QPushButton* btPrecedent_ = nullptr;
    QPushButton* btAjouter_ = nullptr;
    QPushButton* btQuitter_ = nullptr;
    QPushButton* btSuivant_ = nullptr;
    QStatusBar* stbar_ = nullptr;
    QLabel* stbarText_ = nullptr;
    bool closing_ = false;
};

} // namespace trouvel::ui
