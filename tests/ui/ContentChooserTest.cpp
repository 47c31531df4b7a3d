// frmContenu on the offscreen platform: its list, the answer it writes into the opener's Tag
// and the question asked when nothing is chosen.
#include "ui/FrmContenu.h"

#include "support/MappingFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace trouvel::mapping::test {
using namespace trouvel::ui;
namespace {

const QString kQuestion =
    "Vous n'avez pas choisit de contenu pour cette colonne\r\nvoulez-vous que cette colonne soit vide?";

class ContentChooserTest : public MappingFixture {
protected:
    void SetUp() override
    {
        MappingFixture::SetUp();
        script = writeScript("Site", {"[FilmPage]", "Count=3", "Match1=Titre|<h1>(.*)</h1>", "Match3=Année|(\\d{4})"});
    }

    // The chooser as the mapping dialog opens it, shown.
    std::unique_ptr<FrmContenu> open()
    {
        auto chooser = std::make_unique<FrmContenu>(script, ui, tag);
        chooser->setColumnName("Réalisateur");
        chooser->show();
        combo = chooser->findChild<QComboBox*>("Combo1");
        btGO = chooser->findChild<QPushButton*>("btGO");
        btAnnuler = chooser->findChild<QPushButton*>("btAnnuler");
        EXPECT_TRUE(combo && btGO && btAnnuler);
        return chooser;
    }

    QString script;
    QString tag = "1|Titre"; // an answer left from an earlier opening
    QComboBox* combo = nullptr;
    QPushButton* btGO = nullptr;
    QPushButton* btAnnuler = nullptr;
};

TEST_F(ContentChooserTest, OpensWithTheScriptFieldsAndNothingChosen)
{
    auto chooser = open();
    EXPECT_EQ(chooser->windowTitle(), "Choix du Contenu");
    EXPECT_EQ(chooser->findChild<QLabel*>("Label1")->text(),
              "Choisissez le contenu de la colone. Pour chaque fichier avec l'extentention recherchée, le programme "
              "tentera de remplir les colonnes avec ce que vous aurez choisi");
    EXPECT_EQ(chooser->findChild<QLabel*>("Label2")->text(), "Réalisateur");
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->currentIndex(), -1);
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    EXPECT_EQ(entries, (QStringList{"(laisser tel quel)", "Titre", " ", "Année"}));
    EXPECT_TRUE(btGO->text().isEmpty());
    EXPECT_TRUE(btAnnuler->text().isEmpty());
}

struct PickCase {
    const char* name;
    int position;
    const char* tag;
};

class ChooserPickTest : public ContentChooserTest, public ::testing::WithParamInterface<PickCase> {};

// A blank entry (a field number without a "Match" key) is a text, not nothing: no question.
TEST_P(ChooserPickTest, PickHandsBackPositionAndTextWithoutQuestion)
{
    auto chooser = open();
    combo->setCurrentIndex(GetParam().position);
    btGO->click();
    EXPECT_EQ(tag, GetParam().tag);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_TRUE(ui.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Picks, ChooserPickTest,
                         ::testing::Values(PickCase{"Field", 3, "3|Année"}, PickCase{"BlankEntry", 2, "2| "},
                                           PickCase{"LeaveAsIs", 0, "0|(laisser tel quel)"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct EmptyChoiceCase {
    const char* name;
    MsgAnswer answer;
    const char* tag;
    bool stillOpen;
};

class EmptyChoiceTest : public ContentChooserTest, public ::testing::WithParamInterface<EmptyChoiceCase> {};

TEST_P(EmptyChoiceTest, NothingChosenAsksFirst)
{
    const EmptyChoiceCase& c = GetParam();
    tag = "previous";
    auto chooser = open();
    ui.answers = {c.answer};
    btGO->click();

    ASSERT_EQ(ui.messages, QStringList{kQuestion});
    EXPECT_EQ(ui.buttons.front(), MsgButtons::YesNoCancel);
    EXPECT_EQ(tag, c.tag);
    EXPECT_EQ(chooser->isVisible(), c.stillOpen);
}

INSTANTIATE_TEST_SUITE_P(Answers, EmptyChoiceTest,
                         ::testing::Values(EmptyChoiceCase{"Yes", MsgAnswer::Yes, "0|(laisser tel quel)", false},
                                           EmptyChoiceCase{"No", MsgAnswer::No, "(#-_-#)", false},
                                           EmptyChoiceCase{"Cancel", MsgAnswer::Cancel, "previous", true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CancelCase {
    const char* name;
    void (*cancel)(FrmContenu&, QPushButton& btAnnuler);
};

class ChooserCancelTest : public ContentChooserTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(ChooserCancelTest, HandsBackNoChangeWhateverTagHeld)
{
    auto chooser = open();
    combo->setCurrentIndex(3);
    GetParam().cancel(*chooser, *btAnnuler);
    EXPECT_EQ(tag, "(#-_-#)");
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_TRUE(ui.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ChooserCancelTest,
    ::testing::Values(CancelCase{"Annuler", [](FrmContenu&, QPushButton& b) { b.click(); }},
                      CancelCase{"CloseBox", [](FrmContenu& w, QPushButton&) { w.close(); }},
                      CancelCase{"Escape", [](FrmContenu& w, QPushButton&) { QTest::keyClick(&w, Qt::Key_Escape); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::mapping::test
