#include "ui/Frm3.h"

#include "config/MappingFile.h"
#include "ui/FrmContenu.h"
#include "ui/Twips.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace trouvel::ui {

using namespace trouvel::mapping;

namespace {

const QString kCaption = QStringLiteral("Exportation des informations");
const QString kLabel4 =
    QStringLiteral("Choisissez le contenu des différentes colonnes. (Double cliquez sur un element)");
const QString kWriteFailed = QStringLiteral("Impossible d'enregistrer la correspondance des colonnes dans '%1' : %2.") +
                             QStringLiteral("\r\n") +
                             QStringLiteral("Laisser cette fenêtre ouverte pour réessayer ? (Non : fermer sans enregistrer)");

constexpr int kColumnName = 0;
constexpr int kNb = 1;
constexpr int kContenu = 2;
constexpr int kColumnNameTwips = 2000;
constexpr int kContenuTwips = 2000;
constexpr int kEnterKeyCode = 13;

bool isEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

Frm3::Frm3(HostApplication& host, QString scriptPath, QString section, UserInteraction& ui, QWidget* parent)
    : QDialog(parent)
    , host_(host)
    , scriptPath_(std::move(scriptPath))
    , section_(std::move(section))
    , ui_(ui)
{
    setObjectName(QStringLiteral("frm3"));
    // The script's name, whole: the mapping is that script's.
    setWindowTitle(section_.isEmpty() ? kCaption : kCaption + QStringLiteral(" : ") + section_);
    showChooser = [](FrmContenu& chooser) { chooser.exec(); };

    Label4 = new QLabel(kLabel4, this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Colonne = new QTreeWidget(Frame1);
    Colonne->setObjectName(QStringLiteral("Colonne"));
    Colonne->setRootIsDecorated(false);
    Colonne->setItemsExpandable(false);
    Colonne->setSelectionMode(QAbstractItemView::SingleSelection);
    Colonne->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Colonne->installEventFilter(this);
    Colonne->viewport()->installEventFilter(this);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Colonne);
    Label5 = new QLabel(this);
    Label5->setObjectName(QStringLiteral("Label5"));

    // A picture button without text, the default one: Enter on the list still opens the
    // chooser (the list takes it first), Enter anywhere else is OK.
    btGo = new QPushButton(this);
    btGo->setObjectName(QStringLiteral("btGo"));
    btGo->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    btGo->setToolTip(QStringLiteral("OK : enregistrer la correspondance des colonnes (Entrée)"));
    btGo->setAccessibleName(QStringLiteral("OK"));
    btGo->setDefault(true);
    connect(btGo, &QPushButton::clicked, this, &Frm3::btGo_Click);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    btAnnuler->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btAnnuler->setToolTip(QStringLiteral("Fermer sans rien enregistrer (Échap)"));
    btAnnuler->setAutoDefault(false);
    connect(btAnnuler, &QPushButton::clicked, this, &Frm3::btAnnuler_Click);
    Label5->setWordWrap(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label5, 1);
    bottom->addWidget(btGo);
    bottom->addWidget(btAnnuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label4);
    layout->addWidget(Frame1, 1);
    layout->addLayout(bottom);

    Form_Load();
}

void Frm3::Form_Load()
{
    Colonne->clear();
    Colonne->setColumnCount(3);
    Colonne->setHeaderLabels({QStringLiteral("Nom de la Colonne"), QStringLiteral("Nb"), QStringLiteral("Contenu")});
    Colonne->setColumnWidth(kColumnName, twipsToPixels(kColumnNameTwips, *this));
    Colonne->setColumnWidth(kNb, 0);
    Colonne->setColumnHidden(kNb, true);
    Colonne->header()->setStretchLastSection(false);
    Colonne->setColumnWidth(kContenu, twipsToPixels(kContenuTwips, *this));
    Colonne->setMinimumWidth(twipsToPixels(kColumnNameTwips + kContenuTwips, *this) +
                             style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * Colonne->frameWidth());

    const QStringList captions = hostCaptions(host_);
    const QString file = settingsFile(host_);
    const config::ColumnChanges changes = config::compareColumns(file, section_, captions);
    const ChangeMarks marks = changeMarks(changes, scriptPath_);
    const std::vector<MappingRow> rows = mappingRows(changes, captions, scriptPath_);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MappingRow& row = rows[i];
        auto* item = new QTreeWidgetItem(Colonne, {row.columnName, row.nb, row.contenu});
        loaded_.push_back({row.columnName, config::MappingFile(file).columnText(section_, int(i) + 1), row.contenu});
        if (const QString& mark = marks.rows.at(qsizetype(i)); !mark.isEmpty()) {
            columnsChanged_ = true;
            for (int c = 0; c < Colonne->columnCount(); ++c) {
                item->setBackground(c, palette().color(QPalette::Highlight).lighter(185));
                item->setToolTip(c, mark);
            }
        }
    }
    columnsChanged_ = columnsChanged_ || !changes.deleted.empty();
    if (columnsChanged_)
        Label5->setText((marks.deleted.isEmpty() ? QString() : marks.deleted + u' ')
                        + QStringLiteral("Les colonnes ont changé : vérifiez les lignes en couleur, puis OK."));
}

std::vector<MappingRow> Frm3::rows() const
{
    std::vector<MappingRow> result;
    result.reserve(Colonne->topLevelItemCount());
    for (int i = 0; i < Colonne->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = Colonne->topLevelItem(i);
        result.push_back({item->text(kColumnName), item->text(kNb), item->text(kContenu)});
    }
    return result;
}

void Frm3::Colonne_DblClick()
{
    QTreeWidgetItem* selected = nullptr;
    for (int i = 0; i < Colonne->topLevelItemCount(); ++i) {
        if (Colonne->topLevelItem(i)->isSelected())
            selected = Colonne->topLevelItem(i);
    }
    if (!selected)
        return;

    FrmContenu chooser(scriptPath_, ui_, Tag, this);
    chooser.setColumnName(selected->text(kColumnName));
    showChooser(chooser);
    enterDown_ = false;

    if (const auto choice = parseChooserAnswer(Tag)) {
        selected->setText(kNb, choice->nb);
        selected->setText(kContenu, choice->contenu);
    }
}

void Frm3::Colonne_KeyUp(int keyCode)
{
    if (keyCode == kEnterKeyCode)
        Colonne_DblClick();
}

void Frm3::btGo_Click()
{
    close();
}

void Frm3::btAnnuler_Click()
{
    cancelled_ = true;
    QDialog::done(QDialog::Rejected);
}

bool Frm3::Form_Unload()
{
    const QString file = settingsFile(host_);
    const std::vector<MappingRow> now = rows();
    const QString reason = writeMappingRows(file, section_, now);
    if (reason.isEmpty()) {
        changed_ = columnsChanged_ || now != loaded_;
        return true;
    }
    const bool keepOpen = ui_.messageBox(kWriteFailed.arg(file, reason), MsgButtons::YesNo) != MsgAnswer::No;
    return !keepOpen;
}

void Frm3::done(int result)
{
    if (cancelled_) {
        QDialog::done(QDialog::Rejected);
        return;
    }
    if (!Form_Unload())
        return;
    QDialog::done(result);
}

void Frm3::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        btAnnuler_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Frm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Colonne->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Colonne_DblClick();
        return true;
    }
    if (watched == Colonne && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!isEnter(*key))
            return QDialog::eventFilter(watched, event);
        if (event->type() == QEvent::KeyPress) {
            if (!key->isAutoRepeat())
                enterDown_ = true;
        } else if (!key->isAutoRepeat() && enterDown_) {
            enterDown_ = false;
            Colonne_KeyUp(kEnterKeyCode);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace trouvel::ui
