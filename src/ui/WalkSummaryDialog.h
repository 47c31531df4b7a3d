// The summary "Sauvegarde Auto" shows when it reaches the end of the list: the counts, and
// the entries it did not fill with why; double-clicking one (or Enter) goes to it.
#pragma once

#include "wizard/WalkSummary.h"

#include <QDialog>

#include <functional>

class QListWidget;

namespace trouvel::ui {

class WalkSummaryDialog : public QDialog {
    Q_OBJECT
public:
    // goTo: called with the entry (from 1) the user picked; the dialog closes then.
    WalkSummaryDialog(const wizard::WalkSummary& walk, std::function<void(int entry)> goTo, QWidget* parent = nullptr);

private:
    QListWidget* list_;
};

} // namespace trouvel::ui
