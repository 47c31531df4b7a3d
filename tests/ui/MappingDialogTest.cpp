// frm3 on the offscreen platform, driven through its real widgets: rows from Trouvel.ini and
// the script, the chooser opened by double click or Enter, and the write-back on closing.
#include "ui/Frm3.h"

#include "ui/FrmContenu.h"
#include "ui/MappingDialog.h"
#include "support/MappingFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace trouvel::mapping::test {
using namespace trouvel::ui;
namespace {

// What the chooser's user does: pick an entry (or none), then leave by one of three ways.
enum class Leave { Go, Annuler, CloseBox };
struct ChooserAction {
    int pick = -1;
    Leave leave = Leave::Go;
};

class MappingDialogTest : public MappingFixture {
protected:
    void SetUp() override
    {
        MappingFixture::SetUp();
        addColumns({"Titre", "Réalisateur", "Année"});
        script = writeScript("Site", {"[FilmPage]", "Count=3", "Match1=Nom|<b>(.*)</b>", "Match2=Genre|g=(\\w+)",
                                      "Match3=Titre|<h1>(.*)</h1>"});
    }

    // frm3 shown, with the chooser driven by the queued actions instead of a nested event loop.
    std::unique_ptr<Frm3> open(const QString& section = "Site")
    {
        auto dialog = std::make_unique<Frm3>(*host, script, section, ui);
        dialog->showChooser = [this](FrmContenu& chooser) {
            chooser.show();
            opened << chooser.findChild<QLabel*>("Label2")->text();
            if (actions.empty()) {
                ADD_FAILURE() << "chooser opened unexpectedly";
                chooser.reject();
                return;
            }
            const ChooserAction action = actions.front();
            actions.pop_front();
            chooser.findChild<QComboBox*>("Combo1")->setCurrentIndex(action.pick);
            if (action.leave == Leave::Go)
                chooser.findChild<QPushButton*>("btGO")->click();
            else if (action.leave == Leave::Annuler)
                chooser.findChild<QPushButton*>("btAnnuler")->click();
            else
                chooser.close();
        };
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        colonne = dialog->findChild<QTreeWidget*>("Colonne");
        return dialog;
    }

    // A real double click: press and release, then the double click event.
    void doubleClickAt(QPoint pos)
    {
        QTest::mouseClick(colonne->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(colonne->viewport(), Qt::LeftButton, {}, pos);
    }
    void doubleClickRow(int row) { doubleClickAt(colonne->visualItemRect(colonne->topLevelItem(row)).center()); }

    MappingRow row(const Frm3& dialog, int i) const { return dialog.rows().at(i); }

    QString script;
    QTreeWidget* colonne = nullptr;
    std::deque<ChooserAction> actions;
    QStringList opened; // Label2 of each chooser opened
};

TEST_F(MappingDialogTest, ShowsCaptionTextsAndColumns)
{
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), "Exportation des informations : Site");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label4")->text(),
              "Choisissez le contenu des différentes colonnes. (Double cliquez sur un element)");
    EXPECT_TRUE(dialog->findChild<QLabel*>("Label5")->text().isEmpty());
    EXPECT_TRUE(dialog->findChild<QPushButton*>("btGo")->text().isEmpty());

    const QTreeWidgetItem* header = colonne->headerItem();
    EXPECT_EQ(header->text(0), "Nom de la Colonne");
    EXPECT_EQ(header->text(1), "Nb");
    EXPECT_EQ(header->text(2), "Contenu");
    EXPECT_TRUE(colonne->isColumnHidden(1));
    const int twips2000 = qRound(2000 * colonne->logicalDpiX() / 1440.0);
    EXPECT_EQ(colonne->columnWidth(0), twips2000);
    EXPECT_EQ(colonne->columnWidth(2), twips2000);
}

TEST_F(MappingDialogTest, NoHostColumnGivesEmptyListAndClosingWritesNothing)
{
    cadrelle::Catalogue empty;
    host = std::make_unique<cadrelle::CatalogueHost>(empty, dir.path(), QString());
    auto dialog = open();
    EXPECT_EQ(colonne->topLevelItemCount(), 0);
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(QFile::exists(iniFile()));
}

TEST_F(MappingDialogTest, StoredMappingShownAndEveryRowWrittenBack)
{
    store("Site", "Col2", "3");
    auto dialog = open();
    ASSERT_EQ(colonne->topLevelItemCount(), 3);
    EXPECT_EQ(row(*dialog, 0), (MappingRow{"Titre", "", "??"}));
    EXPECT_EQ(row(*dialog, 1), (MappingRow{"Réalisateur", "3", "Titre"}));

    QTest::mouseClick(dialog->findChild<QPushButton*>("btGo"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("Site", "Col1"), "");
    EXPECT_EQ(stored("Site", "Col2"), "3");
    EXPECT_EQ(stored("Site", "Col3"), "");
    EXPECT_EQ(stored("Site", "Col4"), "<missing>");
}

TEST_F(MappingDialogTest, DoubleClickChangesTheRowUnderIt)
{
    auto dialog = open();
    actions = {{2, Leave::Go}};
    doubleClickRow(2);
    EXPECT_EQ(opened, QStringList{"Année"});
    EXPECT_EQ(row(*dialog, 2), (MappingRow{"Année", "2", "Genre"}));
    EXPECT_EQ(dialog->Tag, "2|Genre");
    dialog->close();
    EXPECT_EQ(stored("Site", "Col3"), "2");
}

TEST_F(MappingDialogTest, DoubleClickWithNoSelectionOpensNothing)
{
    auto dialog = open();
    // A current row that is not selected must not count.
    colonne->setCurrentItem(colonne->topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
    const QRect last = colonne->visualItemRect(colonne->topLevelItem(2));
    doubleClickAt(QPoint(last.center().x(), last.bottom() + 20));
    dialog->Colonne_DblClick();
    EXPECT_TRUE(colonne->selectedItems().isEmpty());
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(MappingDialogTest, CancellingLeavesTheRowEvenAfterAnEarlierChoice)
{
    store("Site", "Col2", "3");
    auto dialog = open();
    actions = {{1, Leave::Go}, {2, Leave::Annuler}, {2, Leave::CloseBox}, {-1, Leave::CloseBox}};
    doubleClickRow(0); // leaves "1|Nom" in Tag
    for (int i = 0; i < 3; ++i) {
        doubleClickRow(1);
        EXPECT_EQ(row(*dialog, 1), (MappingRow{"Réalisateur", "3", "Titre"})) << "cancellation " << i;
    }
    EXPECT_EQ(row(*dialog, 0), (MappingRow{"Titre", "1", "Nom"}));
    EXPECT_EQ(opened.size(), 4);
}

TEST_F(MappingDialogTest, LeaveAsIsStoresZeroAndReopensAsFieldZero)
{
    store("Site", "Col1", "3");
    {
        auto dialog = open();
        actions = {{0, Leave::Go}};
        doubleClickRow(0);
        EXPECT_EQ(row(*dialog, 0), (MappingRow{"Titre", "0", "(laisser tel quel)"}));
        dialog->close();
    }
    EXPECT_EQ(stored("Site", "Col1"), "0");
    auto reopened = open();
    EXPECT_EQ(row(*reopened, 0), (MappingRow{"Titre", "0", "??"}));
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    int openings;
};

class MappingKeyTest : public MappingDialogTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(MappingKeyTest, OnlyEnterOpensTheChooser)
{
    auto dialog = open();
    colonne->setFocus();
    colonne->setCurrentItem(colonne->topLevelItem(1));
    if (GetParam().openings)
        actions = {{3, Leave::Go}};
    QTest::keyClick(colonne, GetParam().key);
    EXPECT_EQ(opened.size(), GetParam().openings);
    EXPECT_TRUE(dialog->isVisible());
    if (GetParam().openings) {
        EXPECT_EQ(opened.front(), "Réalisateur");
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, MappingKeyTest,
                         ::testing::Values(KeyCase{"Return", Qt::Key_Return, 1}, KeyCase{"KeypadEnter", Qt::Key_Enter, 1},
                                           KeyCase{"Down", Qt::Key_Down, 0}, KeyCase{"Space", Qt::Key_Space, 0},
                                           KeyCase{"Letter", Qt::Key_A, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Escape and Annuler leave Trouvel.ini as it was, even after a change in the list.
TEST_F(MappingDialogTest, CancelWritesNothing)
{
    store("Site", "Col2", "3");
    for (const bool escape : {true, false}) {
        auto dialog = open();
        actions = {{1, Leave::Go}};
        doubleClickRow(1);
        ASSERT_EQ(row(*dialog, 1).nb, "1");
        if (escape)
            QTest::keyClick(colonne, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog->findChild<QPushButton*>("btAnnuler"), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(dialog->mappingChanged());
        EXPECT_EQ(stored("Site", "Col2"), "3");
        EXPECT_EQ(stored("Site", "Caption2"), "<missing>");
    }
}

TEST_F(MappingDialogTest, EnterReleaseLeftFromTheChooserDoesNotReopenIt)
{
    auto dialog = open();
    colonne->setFocus();
    colonne->setCurrentItem(colonne->topLevelItem(0));
    // The chooser closes on Enter going down; the key comes up on the list.
    actions = {{1, Leave::Go}};
    QTest::keyClick(colonne, Qt::Key_Return);
    QTest::keyRelease(colonne, Qt::Key_Return);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(MappingDialogTest, AnotherScriptReadsAndWritesItsOwnSection)
{
    store("Site", "Col1", "3");
    store("Autre", "Col1", "2");
    {
        auto dialog = open("Autre");
        EXPECT_EQ(row(*dialog, 0), (MappingRow{"Titre", "2", "Genre"}));
        actions = {{1, Leave::Go}};
        doubleClickRow(1);
        dialog->close();
    }
    EXPECT_EQ(stored("Autre", "Col2"), "1");
    EXPECT_EQ(stored("Site", "Col1"), "3");
    EXPECT_EQ(stored("Site", "Col2"), "<missing>");
    auto back = open("Site");
    EXPECT_EQ(row(*back, 0), (MappingRow{"Titre", "3", "Titre"}));
    EXPECT_EQ(row(*back, 1).nb, "");
}

TEST_F(MappingDialogTest, FailedWriteIsReportedAndKeepsTheMappingOnScreen)
{
    const QString folder = dir.filePath("travail");
    host->setTmpFolder(folder);
    auto dialog = open();
    actions = {{3, Leave::Go}};
    doubleClickRow(0);

    ui.answers = {MsgAnswer::Yes};
    dialog->close();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.front().contains(folder + "/Trouvel.ini"));
    EXPECT_EQ(ui.buttons.front(), MsgButtons::YesNo);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(row(*dialog, 0).nb, "3");

    ASSERT_TRUE(QDir().mkpath(folder));
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(config::ReadIniString(folder + "/Trouvel.ini", "Site", "Col1", "<missing>"), "3");
}

TEST_F(MappingDialogTest, FailedWriteAnsweredNoClosesWithoutSaving)
{
    host->setTmpFolder(dir.filePath("absent"));
    auto dialog = open();
    ui.answers = {MsgAnswer::No};
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ui.messages.size(), 1);
}

// The public entry point, with its real nested event loops: a pick in the chooser, then its
// close box, leaves the row as it was.
TEST_F(MappingDialogTest, ChooserClosedThroughItsCloseBoxThroughTheEntryPoint)
{
    store("Site", "Col2", "3");
    bool chooserSeen = false;
    const auto closeChooser = [&] {
        auto* chooser = qobject_cast<FrmContenu*>(QApplication::activeModalWidget());
        chooserSeen = chooser != nullptr;
        if (chooser) {
            chooser->findChild<QComboBox*>("Combo1")->setCurrentIndex(1);
            chooser->close();
        }
    };
    const auto work = [&] {
        auto* frm3 = qobject_cast<Frm3*>(QApplication::activeModalWidget());
        if (!frm3) {
            ADD_FAILURE() << "frm3 is not the modal window";
            return QApplication::closeAllWindows();
        }
        auto* list = frm3->findChild<QTreeWidget*>("Colonne");
        list->setCurrentItem(list->topLevelItem(1));
        QTimer::singleShot(0, closeChooser);
        frm3->Colonne_DblClick();
        EXPECT_EQ(frm3->rows().at(1), (MappingRow{"Réalisateur", "3", "Titre"}));
        frm3->close();
    };
    QTimer::singleShot(0, work);
    showMappingDialog(nullptr, *host, script, "Site", ui);

    EXPECT_TRUE(chooserSeen);
    EXPECT_EQ(stored("Site", "Col1"), "");
    EXPECT_EQ(stored("Site", "Col2"), "3");
}

} // namespace
} // namespace trouvel::mapping::test
