#include "ui/FrmContenu.h"

#include "mapping/ColumnMapping.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace trouvel::ui {

using namespace trouvel::mapping;

namespace {

const QString kCaption = QStringLiteral("Choix du Contenu");
const QString kLabel1 = QStringLiteral(
    "Choisissez le contenu de la colone. Pour chaque fichier avec l'extentention recherchée, le programme "
    "tentera de remplir les colonnes avec ce que vous aurez choisi");
const QString kEmptyChoice = QStringLiteral("Vous n'avez pas choisit de contenu pour cette colonne") +
                             QStringLiteral("\r\n") + QStringLiteral("voulez-vous que cette colonne soit vide?");

// Window width of the design, in twips.
constexpr int kWidthTwips = 4800;

} // namespace

FrmContenu::FrmContenu(const QString& scriptPath, UserInteraction& ui, QString& openerTag, QWidget* parent)
    : QDialog(parent)
    , ui_(ui)
    , openerTag_(openerTag)
{
    setObjectName(QStringLiteral("frmContenu"));
    setWindowTitle(kCaption);

    Label1 = new QLabel(kLabel1, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label2 = new QLabel(QStringLiteral("Label2"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(false);
    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    // Picture buttons without text.
    btGO = new QPushButton(this);
    btGO->setObjectName(QStringLiteral("btGO"));
    btGO->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    btGO->setDefault(true);
    btAnnuler = new QPushButton(this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    btAnnuler->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btAnnuler->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btGO);
    buttons->addWidget(btAnnuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Combo1);
    layout->addWidget(Line1);
    layout->addLayout(buttons);
    setMinimumWidth(twipsToPixels(kWidthTwips, *this));

    connect(btGO, &QPushButton::clicked, this, &FrmContenu::btGO_Click);
    connect(btAnnuler, &QPushButton::clicked, this, &FrmContenu::btAnnuler_Click);

    Form_Load(scriptPath);
}

void FrmContenu::Form_Load(const QString& scriptPath)
{
    Combo1->clear();
    Combo1->addItems(chooserEntries(scriptPath));
    Combo1->setCurrentIndex(-1);
}

void FrmContenu::setColumnName(const QString& name)
{
    Label2->setText(name);
}

void FrmContenu::btGO_Click()
{
    if (Combo1->currentText().isEmpty()) {
        switch (ui_.messageBox(kEmptyChoice, MsgButtons::YesNoCancel)) {
        case MsgAnswer::Yes:
            Combo1->setCurrentIndex(0);
            break;
        case MsgAnswer::No:
            openerTag_ = noChangeAnswer();
            accept();
            return;
        default:
            return;
        }
    }
    openerTag_ = chooserAnswer(Combo1->currentIndex(), Combo1->currentText());
    accept();
}

void FrmContenu::btAnnuler_Click()
{
    reject();
}

void FrmContenu::reject()
{
    openerTag_ = noChangeAnswer();
    QDialog::reject();
}

} // namespace trouvel::ui
