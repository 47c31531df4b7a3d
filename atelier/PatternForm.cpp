#include "PatternForm.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace trouvel::atelier {

namespace {

bool isGroupNumber(PatternRole role)
{
    return role == PatternRole::Link || role == PatternRole::ShortText || role == PatternRole::LongText;
}

QString toolTipOf(const PatternKey& key)
{
    switch (key.role) {
    case PatternRole::Search:
        return QStringLiteral("Une correspondance par candidat de la page de recherche");
    case PatternRole::Link:
        return QStringLiteral("Numéro du groupe qui donne le lien de la fiche (le %1 de l'adresse de [FilmPage])");
    case PatternRole::ShortText:
        return QStringLiteral("Numéro du groupe qui donne le texte court du candidat (son titre)");
    case PatternRole::LongText:
        return QStringLiteral("Numéro du groupe qui donne le texte long du candidat (année, genre…)");
    case PatternRole::Field:
        return QStringLiteral("Le groupe 1 de la première correspondance donne la valeur du champ");
    case PatternRole::Picture:
        return QStringLiteral("Le groupe 1 de la dernière correspondance donne l'adresse de l'image");
    }
    return {};
}

} // namespace

PatternForm::PatternForm(const ScriptEdits& edits, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* search = new QGroupBox(QStringLiteral("Page de recherche [SearchPage]"), this);
    auto* film = new QGroupBox(QStringLiteral("Fiche du film [FilmPage]"), this);
    auto* searchGrid = new QGridLayout(search);
    auto* filmGrid = new QGridLayout(film);
    auto* groups = new QHBoxLayout;
    layout->addWidget(search);
    layout->addWidget(film);
    layout->addStretch(1);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    rows_.resize(std::size_t(edits.size()));
    for (int i = 0; i < edits.size(); ++i) {
        const PatternKey& key = edits.keys()[std::size_t(i)];
        Row& row = rows_[std::size_t(i)];
        row.key = key;
        row.label = new QLabel(key.key, this);
        row.value = new QLineEdit(this);
        row.value->setObjectName(key.key);
        row.value->setFont(fixed);
        row.value->setToolTip(toolTipOf(key));
        row.value->installEventFilter(this);
        if (key.role == PatternRole::Field) {
            const FieldParts parts = fieldParts(edits.value(i));
            row.bar = parts.bar;
            row.name = new QLineEdit(parts.name, this);
            row.name->setObjectName(key.key + QStringLiteral(".nom"));
            row.name->setToolTip(QStringLiteral("Nom du champ, tel que l'assistant l'affiche"));
            row.name->setMaximumWidth(120);
            row.name->installEventFilter(this);
            row.value->setText(parts.pattern);
            const int line = filmGrid->rowCount();
            filmGrid->addWidget(row.label, line, 0);
            filmGrid->addWidget(row.name, line, 1);
            filmGrid->addWidget(row.value, line, 2);
        } else if (isGroupNumber(key.role)) {
            row.value->setText(edits.value(i));
            row.value->setMaximumWidth(48);
            groups->addWidget(row.label);
            groups->addWidget(row.value);
            groups->addSpacing(12);
        } else {
            row.value->setText(edits.value(i));
            QGridLayout* grid = key.role == PatternRole::Search ? searchGrid : filmGrid;
            const int line = grid->rowCount();
            grid->addWidget(row.label, line, 0);
            grid->addWidget(row.value, line, 1, 1, 2);
        }
        row.value->setCursorPosition(0);
        const auto changed = [this, i] {
            const Row& r = rows_[std::size_t(i)];
            const QString value = r.name ? fieldValue(r.name->text(), r.value->text(), r.bar) : r.value->text();
            Q_EMIT edited(i, value);
        };
        connect(row.value, &QLineEdit::textEdited, this, changed);
        if (row.name)
            connect(row.name, &QLineEdit::textEdited, this, changed);
    }
    groups->addStretch(1);
    searchGrid->addLayout(groups, searchGrid->rowCount(), 0, 1, 3);
    filmGrid->setColumnStretch(2, 1);
    searchGrid->setColumnStretch(2, 1);
    markSelected();
}

void PatternForm::select(int key)
{
    if (key < 0 || key >= int(rows_.size()))
        return;
    rows_[std::size_t(key)].value->setFocus(Qt::OtherFocusReason);
    if (selected_ != key) {
        selected_ = key;
        markSelected();
        Q_EMIT selectedChanged(key);
    }
}

void PatternForm::showChanged(int key, bool changed)
{
    Row& row = rows_.at(std::size_t(key));
    row.label->setText(changed ? row.key.key + QStringLiteral(" *") : row.key.key);
    row.label->setToolTip(changed ? QStringLiteral("Modifié, pas encore enregistré") : QString());
}

void PatternForm::setWarning(int key, const QString& warning)
{
    QLineEdit* editor = rows_.at(std::size_t(key)).value;
    editor->setStyleSheet(warning.isEmpty() ? QString() : QStringLiteral("QLineEdit { border: 2px solid #d07000; }"));
    editor->setToolTip(warning.isEmpty() ? toolTipOf(rows_.at(std::size_t(key)).key) : warning);
}

bool PatternForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if ((watched == rows_[i].value || watched == rows_[i].name) && selected_ != int(i)) {
                selected_ = int(i);
                markSelected();
                Q_EMIT selectedChanged(selected_);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PatternForm::markSelected()
{
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        QFont font = rows_[i].label->font();
        font.setBold(int(i) == selected_);
        rows_[i].label->setFont(font);
    }
}

} // namespace trouvel::atelier
