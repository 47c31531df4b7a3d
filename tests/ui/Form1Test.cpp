// The window itself: its controls, the keyboard rules, and closing it while a step waits.
#include "support/WizardFixture.h"

#include "ui/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace trouvel::wizard::test {
using namespace trouvel::ui;
namespace {

class Window : public WizardTest {
protected:
    Form1& form()
    {
        if (!form_) {
            WizardServices s = services();
            form_ = std::make_unique<Form1>(state, ui, settings, std::move(s));
        }
        return *form_;
    }
    template <typename W>
    W* child(const char* name)
    {
        W* widget = form().findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void key(QWidget* target, int key, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &press);
    }
    std::unique_ptr<Form1> form_;
};

TEST_F(Window, ControlsAndTheirInitialState)
{
    writeDemoScript();
    ASSERT_TRUE(form().engine().load());
    form().show();
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Trouvel (sur le net) v1.0"));
    EXPECT_EQ(child<QGroupBox>("etape1")->title(), QStringLiteral("Etape 1 : titre du film"));
    EXPECT_EQ(child<QGroupBox>("etape2")->title(), QStringLiteral("Etape 2 : choix multiple"));
    EXPECT_EQ(child<QGroupBox>("etape3")->title(), QStringLiteral("Etape 3 : Infos du film"));
    EXPECT_FALSE(child<QGroupBox>("etape2")->isVisible());
    EXPECT_FALSE(child<QGroupBox>("etape3")->isVisible());
    EXPECT_FALSE(child<QPushButton>("btStop")->isVisible());
    EXPECT_EQ(child<QPushButton>("btStop")->text(), QStringLiteral("Interrompre le téléchargement"));
    EXPECT_EQ(child<QPushButton>("btSuivant")->toolTip(), QStringLiteral("Passe au suivant sans enregistrer"));
    EXPECT_EQ(child<QCheckBox>("auto")->text(), QStringLiteral("Sauvegarde Auto"));
    EXPECT_EQ(child<QLineEdit>("titre")->text(), QStringLiteral("Film 1"));
    EXPECT_TRUE(child<QPushButton>("btChercher")->isDefault());
    for (const char* name : {"list1", "Label1", "tbUrl", "btchercher2", "Img", "updateImg", "btOptions",
                             "btPrecedent", "btAjouter", "btQuitter", "stbar"})
        child<QWidget>(name);

    auto* list = child<QTreeWidget>("ListView1");
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Lien"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Titre"));
    EXPECT_EQ(list->headerItem()->text(2), QStringLiteral("Informations"));
    EXPECT_TRUE(list->isColumnHidden(0));
    EXPECT_EQ(list->columnWidth(1), form().twipsX(1800));
    EXPECT_EQ(list->columnWidth(2), form().twipsX(8575));
    EXPECT_EQ(form().width(), form().twipsX(11100));
}

// A larger window: the wide controls grow, the right and bottom ones follow, step 3 takes two
// thirds of the added height.
// The script list says whose each script is: its tool tip is the file, the user's own or the
// module's; the list's own tool tip follows the selection.
TEST_F(Window, ScriptListToolTipsAreTheScriptsFiles)
{
    const QString bundled = writeDemoScript(QStringLiteral("Demo"));
    const QString user = root.filePath(QStringLiteral("user"));
    ASSERT_TRUE(QDir().mkpath(user + QStringLiteral("/scripts")));
    const QString mine = user + QStringLiteral("/scripts/Mien.tvs");
    ASSERT_TRUE(QFile::copy(bundled, mine));
    WizardServices s = services();
    s.scripts = config::ScriptSource::pluginFolders({user, pluginFolder});
    form_ = std::make_unique<Form1>(state, ui, settings, std::move(s));
    ASSERT_TRUE(form().engine().load());
    auto* list = child<QComboBox>("list1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), QStringLiteral("Mien"));
    EXPECT_EQ(list->itemData(0, Qt::ToolTipRole).toString(), mine);
    EXPECT_EQ(list->itemData(1, Qt::ToolTipRole).toString(), bundled);
    EXPECT_EQ(list->toolTip(), mine);
    form().engine().selectScript(1);
    EXPECT_EQ(list->toolTip(), bundled);
}

TEST_F(Window, EnlargedWindowGrowsTheListsAndStepThree)
{
    writeDemoScript();
    ASSERT_TRUE(form().engine().load());
    form().show();
    const QSize design = form().size();
    const QRect step3 = child<QWidget>("etape3")->geometry();
    const QRect quit = child<QWidget>("btQuitter")->geometry();
    const QRect value = child<QWidget>("champ_0")->geometry();
    form().resize(design + QSize(300, 300));
    EXPECT_EQ(child<QWidget>("etape3")->geometry(), step3.adjusted(0, 100, 300, 300));
    EXPECT_EQ(child<QWidget>("btQuitter")->geometry(), quit.translated(300, 300));
    EXPECT_EQ(child<QWidget>("champ_0")->width(), value.width() + 300);
}

TEST_F(Window, FieldRowsAreMadeOnDemand300TwipsApart)
{
    writeDemoScript();
    ASSERT_TRUE(form().engine().load());
    auto* first = child<QLineEdit>("champ_0");
    auto* third = child<QLineEdit>("champ_2");
    EXPECT_NEAR(third->y() - first->y(), form().twipsY(600), 1);
    EXPECT_EQ(child<QCheckBox>("update_2")->isChecked(), true);
    EXPECT_EQ(form().findChild<QWidget*>(QStringLiteral("champ_3")), nullptr);

    // A value too long for its line shows whole over several lines; the rows below make room.
    const QString synopsis = QStringLiteral("Un résumé bien plus long que sa ligne. ").repeated(6);
    form().engine().model().setFieldValue(1, synopsis);
    auto* longBox = child<QPlainTextEdit>("champLong_1");
    EXPECT_FALSE(longBox->isHidden());
    EXPECT_TRUE(child<QLineEdit>("champ_1")->isHidden());
    EXPECT_EQ(longBox->toPlainText(), synopsis);
    EXPECT_NEAR(third->y() - first->y(), form().twipsY(1200), 1);

    key(first, Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(form().engine().model().fieldRow(0).value, QStringLiteral("x"));
    child<QCheckBox>("update_1")->setChecked(false);
    EXPECT_FALSE(form().engine().model().fieldRow(1).ticked);
}

TEST_F(Window, EnterFollowsTheDefaultButtonAndEscapeQuits)
{
    writeDemoScript();
    writeMapping(QStringLiteral("Demo"), QStringLiteral("Col2=1"));
    ambiguous << QStringLiteral("Film 1");
    ASSERT_TRUE(form().engine().load());
    form().show();
    key(child<QLineEdit>("titre"), Qt::Key_Return);
    EXPECT_EQ(site.requestLines.size(), 1); // Enter searched
    EXPECT_TRUE(child<QPushButton>("btchercher2")->isDefault());
    EXPECT_EQ(child<QTreeWidget>("ListView1")->topLevelItemCount(), 2);

    child<QTreeWidget>("ListView1")->setCurrentItem(child<QTreeWidget>("ListView1")->topLevelItem(1));
    key(child<QTreeWidget>("ListView1"), Qt::Key_Return);
    EXPECT_EQ(site.requestLines.value(1), QByteArray("GET /film/91 HTTP/1.0")); // the chosen row
    EXPECT_TRUE(child<QPushButton>("btAjouter")->isDefault());

    QFocusEvent focusIn(QEvent::FocusIn);
    QCoreApplication::sendEvent(child<QLineEdit>("titre"), &focusIn);
    EXPECT_TRUE(child<QPushButton>("btChercher")->isDefault());

    key(&form(), Qt::Key_Escape);
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(form().engine().isClosed());
    EXPECT_EQ(settings.values.value(QStringLiteral("Options/NBIndex")), QStringLiteral("0"));
}

TEST_F(Window, ClosingWhileAStepWaitsFreesNothingInUse)
{
    writeDemoScript();
    auto* window = new Form1(state, ui, settings, services());
    QPointer<Form1> alive(window);
    ASSERT_TRUE(window->engine().load());
    site.hold("/search?q=Film+1", [window] {
        window->close(); // the close box
        EXPECT_FALSE(window->isVisible());
    });
    QTimer::singleShot(0, window, [window] {
        window->findChild<QPushButton*>(QStringLiteral("btChercher"))->click();
    });
    window->exec();
    ASSERT_TRUE(alive);
    EXPECT_FALSE(window->engine().isBusy()); // exec returned after the step did
    EXPECT_TRUE(window->engine().isClosed());
    EXPECT_EQ(site.requestLines.size(), 1);
    delete window;
    EXPECT_EQ(settings.values.value(QStringLiteral("Options/NBIndex")), QStringLiteral("0"));
}

} // namespace
} // namespace trouvel::wizard::test
