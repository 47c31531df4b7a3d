#include "ui/WalkSummaryDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace trouvel::ui {

WalkSummaryDialog::WalkSummaryDialog(const wizard::WalkSummary& walk, std::function<void(int entry)> goTo, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("walkSummary"));
    setWindowTitle(QStringLiteral("Sauvegarde Auto terminée"));
    auto* counts = new QLabel(walk.countsText() + u'.', this);
    counts->setObjectName(QStringLiteral("counts"));
    counts->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("notFilled"));
    for (const wizard::WalkEntry& entry : walk.entries()) {
        if (entry.filled() && entry.outcome.reason.isEmpty())
            continue;
        auto* item = new QListWidgetItem(QStringLiteral("%1. %2 : %3").arg(entry.entry).arg(entry.title, entry.why()), list_);
        item->setData(Qt::UserRole, entry.entry);
    }
    auto* hint = new QLabel(list_->count() > 0 ? QStringLiteral("Double-cliquez sur une entrée pour y aller.")
                                               : QStringLiteral("Toutes les entrées ont été remplies, avec leur image."),
                            this);
    list_->setVisible(list_->count() > 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fermer"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto open = [this, goTo = std::move(goTo)](QListWidgetItem* item) {
        if (!item)
            return;
        const int entry = item->data(Qt::UserRole).toInt();
        accept();
        if (goTo)
            goTo(entry);
    };
    connect(list_, &QListWidget::itemActivated, this, open);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts);
    layout->addWidget(list_, 1);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    resize(520, list_->count() > 0 ? 360 : 140);
}

} // namespace trouvel::ui
