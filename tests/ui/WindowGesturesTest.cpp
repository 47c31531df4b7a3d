// Ordinary gestures in the window, made with the keyboard and the mouse as a person would:
// none of them writes one film's data into another entry or erases a value by accident.
#include "support/WizardFixture.h"

#include "ui/Form1.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QTreeWidget>

namespace trouvel::wizard::test {
using namespace trouvel::ui;
namespace {

class Gestures : public WizardTest {
protected:
    void open()
    {
        writeDemoScript();
        writeMapping(QStringLiteral("Demo"), QStringLiteral("Col2=1"));
        form_ = std::make_unique<Form1>(state, ui, settings, services());
        ASSERT_TRUE(form_->engine().load());
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }
    template <typename W>
    W* child(const char* name)
    {
        W* widget = form_->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    const WizardModel& m() { return form_->engine().model(); }
    void searchWithEnter()
    {
        child<QLineEdit>("titre")->setFocus();
        QTest::keyClick(child<QLineEdit>("titre"), Qt::Key_Return);
    }
    std::unique_ptr<Form1> form_;
};

struct MoveCase {
    const char* name;
    const char* button;
};

class MovingOn : public Gestures, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MovingOn, LeavesStepThreeEmptyAndEnterSearchesTheNextTitle)
{
    open();
    searchWithEnter(); // one candidate: the detail step follows
    ASSERT_EQ(m().fieldRow(0).value, QStringLiteral("Titre 1"));
    ASSERT_TRUE(m().pictureTicked());

    QTest::mouseClick(child<QPushButton>(GetParam().button), Qt::LeftButton);
    ASSERT_EQ(state.CurrentItem, 2);
    for (int row = 0; row < m().fieldRowCount(); ++row) {
        EXPECT_TRUE(m().fieldRow(row).value.isEmpty()) << row;
        EXPECT_FALSE(m().fieldRow(row).ticked) << row;
    }
    EXPECT_FALSE(m().pictureTicked());
    EXPECT_TRUE(m().picture().isNull());
    EXPECT_FALSE(QFileInfo::exists(form_->engine().pictureFile()));
    EXPECT_TRUE(child<QLineEdit>("tbUrl")->text().isEmpty());
    EXPECT_TRUE(child<QPushButton>("btChercher")->isDefault());
    EXPECT_FALSE(child<QPushButton>("btAjouter")->isEnabled());

    absent << QStringLiteral("Film 2");
    const auto before = host->entry(2).columns;
    searchWithEnter();
    EXPECT_EQ(site.requestLines.back(), QByteArray("GET /search?q=Film+2 HTTP/1.0"));
    EXPECT_EQ(host->entry(2).columns, before) << "the previous film was saved into the next entry";
}

INSTANTIATE_TEST_SUITE_P(Buttons, MovingOn,
                         ::testing::Values(MoveCase{"Ajouter", "btAjouter"}, MoveCase{"SkipArrow", "btSuivant"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Gestures, AjouterWaitsForADetailStep)
{
    open();
    host->entry(1).columns[1] = "Minuit à Carcassonne";
    EXPECT_FALSE(child<QPushButton>("btAjouter")->isEnabled());
    form_->engine().save(); // even if called directly
    EXPECT_EQ(host->entry(1).columns[1], "Minuit à Carcassonne");
    EXPECT_EQ(state.CurrentItem, 1);
}

TEST_F(Gestures, EnterOnAFocusedButtonPressesThatButton)
{
    open();
    searchWithEnter();
    ASSERT_TRUE(child<QPushButton>("btAjouter")->isDefault());
    child<QPushButton>("btQuitter")->setFocus();
    QTest::keyClick(child<QPushButton>("btQuitter"), Qt::Key_Return);
    EXPECT_TRUE(form_->engine().isClosed());
    EXPECT_TRUE(host->entry(1).columns[1].empty()) << "Enter on Quitter saved the entry";
}

TEST_F(Gestures, TheHighlightedCandidateIsTheOneFetched)
{
    ambiguous << QStringLiteral("Film 1");
    open();
    searchWithEnter();
    auto* list = child<QTreeWidget>("ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down); // past the end: stays on the last row
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->indexOfTopLevelItem(list->selectedItems().first()), 1);
    EXPECT_EQ(m().selectedCandidate(), 1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(site.requestLines.value(1), QByteArray("GET /film/91 HTTP/1.0"));
}

TEST_F(Gestures, DoubleClickOnAnEmptyListSaysThereIsNothingToFetch)
{
    absent << QStringLiteral("Film 1");
    open();
    searchWithEnter();
    auto* list = child<QTreeWidget>("ListView1");
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->topLevelItemCount(), 0);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Rien à chercher")});
}

TEST_F(Gestures, ScriptChosenWhileAStepRunsIsRefusedWhole)
{
    writeDemoScript(QStringLiteral("Autre"));
    open();
    auto* list1 = child<QComboBox>("list1");
    ASSERT_EQ(list1->currentText(), QStringLiteral("Autre")); // sorted first, and selected
    list1->setCurrentIndex(1);
    Q_EMIT list1->activated(1);
    ASSERT_EQ(m().scriptText(), QStringLiteral("Demo"));
    site.hold("/search?q=Film+1", [&] {
        list1->setCurrentIndex(0);
        Q_EMIT list1->activated(0);
        EXPECT_EQ(list1->currentText(), QStringLiteral("Demo"));
        form_->engine().stop();
    });
    searchWithEnter();
    EXPECT_EQ(list1->currentText(), QStringLiteral("Demo"));
    EXPECT_EQ(m().scriptText(), QStringLiteral("Demo"));
    EXPECT_TRUE(state.ScriptPath.endsWith(QStringLiteral("/Demo.tvs")));
}

TEST_F(Gestures, WindowFitsASmallScreenAndEveryButtonCanBeReached)
{
    open();
    const QSize design(form_->twipsX(11100), form_->twipsY(8775));
    form_->fitTo(QRect(0, 0, 1920, 1080));
    EXPECT_EQ(form_->size(), design);
    // 1280 x 900 at 200 %: 640 x 450 logical pixels.
    const QRect small(0, 0, 640, 450);
    form_->fitTo(small);
    EXPECT_LE(form_->frameGeometry().width(), small.width());
    EXPECT_LE(form_->frameGeometry().height(), small.height());
    auto* area = child<QScrollArea>("contentArea");
    for (const char* name : {"btChercher", "btAjouter", "btQuitter", "btSuivant", "btPrecedent"}) {
        auto* button = child<QPushButton>(name);
        area->ensureWidgetVisible(button);
        const QRect shown(button->mapTo(area->viewport(), QPoint()), button->size());
        EXPECT_TRUE(area->viewport()->rect().contains(shown)) << name;
    }
}

} // namespace
} // namespace trouvel::wizard::test
