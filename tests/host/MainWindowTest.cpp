// The Cadrelle window running a plug-in: what the plug-in does shows in the window, its
// errors are shown without ending the host, and a catalogue too long for it is not handed over.
#include "MainWindow.h"
#include "catalogue/CatalogueFile.h"
#include "text/QStringPrinter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

namespace {

using namespace cadrelle;

// Closes each message box as soon as it shows, keeping its text: with `answer`'s button when
// the box has it, else as Escape would.
class MessageCatcher : public QObject {
public:
    explicit MessageCatcher(QMessageBox::StandardButton answer = QMessageBox::NoButton) : answer_(answer)
    {
        qApp->installEventFilter(this);
    }
    ~MessageCatcher() override { qApp->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box != nullptr && event->type() == QEvent::Show) {
            texts.append(box->text());
            QPointer<QMessageBox> target(box);
            QTimer::singleShot(0, this, [target, answer = answer_] {
                if (target && target->button(answer))
                    target->button(answer)->click();
                else if (target)
                    target->reject();
            });
        }
        return false;
    }

private:
    QMessageBox::StandardButton answer_;
};

// Answers the next file dialog with `path`.
class FileDialogAnswer : public QObject {
public:
    explicit FileDialogAnswer(QString path) : path_(std::move(path)) { qApp->installEventFilter(this); }
    ~FileDialogAnswer() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QFileDialog*>(watched);
        if (dialog != nullptr && event->type() == QEvent::Show) {
            QPointer<QFileDialog> target(dialog);
            QTimer::singleShot(0, this, [target, path = path_] {
                if (target) {
                    target->selectFile(path);
                    QMetaObject::invokeMethod(target, "accept");
                }
            });
        }
        return false;
    }

private:
    QString path_;
};

class WindowWithPlugin : public ::testing::Test {
protected:
    // A catalogue whose first caption tells the fake plug-in what to do.
    void open(const QString& command, int entries)
    {
        Catalogue c;
        c.addColumn(command);
        c.addColumn(QStringLiteral("Vu"));
        c.reserve(entries);
        for (int i = 0; i < entries; ++i)
            c.addEntry({QStringLiteral("Film %1").arg(i + 1)});
        path = dir.filePath(QStringLiteral("films.csv"));
        ASSERT_EQ(saveCatalogue(path, c), QString());
        ASSERT_TRUE(window.openCatalogue(path));
    }

    QAction* fileAction(const QString& text)
    {
        for (QAction* menu : window.menuBar()->actions())
            for (QAction* a : menu->menu() ? menu->menu()->actions() : QList<QAction*>{})
                if (a->text() == text)
                    return a;
        return nullptr;
    }

    QAction* pluginAction()
    {
        for (QAction* menu : window.menuBar()->actions()) {
            if (!menu->menu())
                continue;
            for (QAction* a : menu->menu()->actions()) {
                if (a->text() == QLatin1String("Factice 3.0.7"))
                    return a;
            }
        }
        return nullptr;
    }

    QTreeView* view() { return window.findChild<QTreeView*>(); }
    QString cell(int row, int column) { return view()->model()->index(row, column).data(Qt::EditRole).toString(); }

    QTemporaryDir dir;
    QString path;
    MainWindow window{dir.filePath(QStringLiteral("Cadrelle.ini")), {QStringLiteral(CADRELLE_FAKE_PLUGIN)}};
};

TEST_F(WindowWithPlugin, PluginChangesShowAndMarkTheCatalogueModified)
{
    open(QStringLiteral("save"), 4);
    QAction* run = pluginAction();
    ASSERT_NE(run, nullptr);
    view()->selectionModel()->select(view()->model()->index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_FALSE(window.isWindowModified());
    run->trigger();
    EXPECT_EQ(cell(1, 1), QStringLiteral("vu"));
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_TRUE(window.isWindowModified());
    // The plug-in moved the selection on to the next entry.
    const QModelIndexList rows = view()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().row(), 2);
}

TEST_F(WindowWithPlugin, PluginErrorIsShownAndTheHostCarriesOn)
{
    open(QStringLiteral("throw"), 2);
    MessageCatcher catcher;
    pluginAction()->trigger();
    EXPECT_EQ(catcher.texts, QStringList{QStringLiteral("échec voulu")});
    EXPECT_FALSE(window.isWindowModified());
    // Still usable: the next run goes through the same way.
    pluginAction()->trigger();
    EXPECT_EQ(catcher.texts.size(), 2);
}

TEST_F(WindowWithPlugin, CatalogueTooLongForPluginIsNotHandedOver)
{
    open(QStringLiteral("save"), kMaxPluginEntries + 1);
    view()->selectionModel()->select(view()->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    MessageCatcher catcher;
    pluginAction()->trigger();
    ASSERT_EQ(catcher.texts.size(), 1);
    EXPECT_TRUE(catcher.texts.first().contains(QStringLiteral("32766"))) << catcher.texts.first().toStdString();
    EXPECT_EQ(cell(0, 1), QString()) << "the plug-in ran anyway";
    EXPECT_FALSE(window.isWindowModified());
}

// The cell editor open in the table, if any.
QLineEdit* cellEditor(QTreeView* view)
{
    for (QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

TEST_F(WindowWithPlugin, TabInACellEditorGoesAlongTheSameEntry)
{
    open(QStringLiteral("Titre"), 2);
    window.show();
    QTreeView* table = view();
    const QModelIndex lastRowTitle = table->model()->index(1, 0);
    table->setCurrentIndex(lastRowTitle);
    table->edit(lastRowTitle);
    QLineEdit* editor = cellEditor(table);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(table->currentIndex(), table->model()->index(1, 1));
    editor = cellEditor(table);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("1999"));
    QTest::keyClick(editor, Qt::Key_Tab); // the last column: stays on it
    EXPECT_EQ(table->currentIndex(), table->model()->index(1, 1));
    editor = cellEditor(table);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(table->currentIndex(), lastRowTitle);
    EXPECT_EQ(cell(1, 0), QStringLiteral("Film 2"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("1999"));
    EXPECT_EQ(cell(0, 1), QString());
}

TEST_F(WindowWithPlugin, SaveAsCarriesPicturesAndMappingButNothingFromOutsideTheFolder)
{
    QTemporaryDir outside;
    QDir(outside.path()).mkpath(QStringLiteral("cat"));
    const QString catFolder = outside.filePath(QStringLiteral("cat"));
    Catalogue c;
    c.addColumn(QStringLiteral("Titre"));
    c.addEntry({QStringLiteral("A")}, QStringLiteral("a.jpg"));
    c.addEntry({QStringLiteral("B")}, QStringLiteral("../secret.jpg"));
    c.addEntry({QStringLiteral("C")}, outside.filePath(QStringLiteral("secret.jpg")));
    for (const QString& file : {QDir(catFolder).filePath(QStringLiteral("a.jpg")), outside.filePath(QStringLiteral("secret.jpg")),
                                QDir(catFolder).filePath(QStringLiteral("Trouvel.ini"))}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    path = QDir(catFolder).filePath(QStringLiteral("films.csv"));
    ASSERT_EQ(saveCatalogue(path, c), QString());
    ASSERT_TRUE(window.openCatalogue(path));

    const QString newFolder = dir.filePath(QStringLiteral("new"));
    QDir().mkpath(newFolder);
    MessageCatcher catcher;
    FileDialogAnswer answer(QDir(newFolder).filePath(QStringLiteral("copie.csv")));
    QAction* saveAs = fileAction(QStringLiteral("Enregistrer &sous…"));
    ASSERT_NE(saveAs, nullptr);
    saveAs->trigger();

    QStringList copied = QDir(newFolder).entryList(QDir::Files);
    copied.sort();
    EXPECT_EQ(copied, (QStringList{QStringLiteral("Trouvel.ini"), QStringLiteral("a.jpg"), QStringLiteral("copie.csv")}));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("secret.jpg"))));
    ASSERT_EQ(catcher.texts.size(), 1);
    EXPECT_TRUE(catcher.texts.first().contains(QStringLiteral("../secret.jpg"))) << catcher.texts.first().toStdString();
    // The entries keep their Tags.
    Catalogue saved;
    ASSERT_EQ(loadCatalogue(QDir(newFolder).filePath(QStringLiteral("copie.csv")), saved), QString());
    EXPECT_EQ(saved.tag(1), QStringLiteral("../secret.jpg"));
}

} // namespace

namespace {

// What a plug-in wrote is one step per user action; undoing back to the file leaves the
// catalogue unmodified, and redo brings the write back.
TEST_F(WindowWithPlugin, PluginWritesAreUndoneAndRedoneAsOneStepPerAction)
{
    open(QStringLiteral("save"), 4);
    for (int row : {0, 1}) {
        view()->selectionModel()->select(view()->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::keyClick(view(), Qt::Key_Shift); // the user's own action between the two runs
        pluginAction()->trigger();
    }
    ASSERT_EQ(cell(1, 1), QStringLiteral("vu"));
    QAction* undo = fileAction(QStringLiteral("Annuler Factice"));
    ASSERT_NE(undo, nullptr);
    undo->trigger();
    EXPECT_EQ(cell(1, 1), QString());
    EXPECT_EQ(cell(0, 1), QStringLiteral("vu"));
    EXPECT_TRUE(window.isWindowModified());
    fileAction(QStringLiteral("Annuler Factice"))->trigger();
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_FALSE(window.isWindowModified()) << "back to the file as saved";
    fileAction(QStringLiteral("Rétablir Factice"))->trigger();
    EXPECT_EQ(cell(0, 1), QStringLiteral("vu"));
    EXPECT_TRUE(window.isWindowModified());

    // Unsaved, the catalogue soon has a recovery copy beside it; saving removes it.
    const QString recovery = dir.filePath(QStringLiteral(".films.csv.recovery"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(recovery); }, 10000));
    Catalogue copy;
    ASSERT_EQ(loadCatalogue(recovery, copy), QString());
    EXPECT_EQ(copy.cell(0, 1), QStringLiteral("vu"));
    fileAction(QStringLiteral("&Enregistrer"))->trigger();
    EXPECT_FALSE(QFile::exists(recovery));
    EXPECT_FALSE(window.isWindowModified());
}

struct RecoveryCase {
    const char* name;
    QMessageBox::StandardButton answer;
    bool restored;
};

class Recovery : public WindowWithPlugin, public ::testing::WithParamInterface<RecoveryCase> {};

// A recovery copy left by a run that did not save is offered at the next opening.
TEST_P(Recovery, IsOfferedBackAtTheNextOpening)
{
    Catalogue c;
    c.addColumn(QStringLiteral("Titre"));
    c.addEntry({QStringLiteral("Heat")});
    path = dir.filePath(QStringLiteral("films.csv"));
    ASSERT_EQ(saveCatalogue(path, c), QString());
    c.setCell(0, 0, QStringLiteral("Heat (1995)"));
    const QString recovery = dir.filePath(QStringLiteral(".films.csv.recovery"));
    ASSERT_EQ(saveCatalogue(recovery, c), QString());
    MessageCatcher answers(GetParam().answer);
    ASSERT_TRUE(window.openCatalogue(path));
    ASSERT_EQ(answers.texts.size(), 1);
    EXPECT_EQ(cell(0, 0), GetParam().restored ? QStringLiteral("Heat (1995)") : QStringLiteral("Heat"));
    EXPECT_EQ(window.isWindowModified(), GetParam().restored);
    EXPECT_EQ(QFile::exists(recovery), GetParam().restored) << "kept until the restored catalogue is saved";
}

INSTANTIATE_TEST_SUITE_P(Answers, Recovery,
                         ::testing::Values(RecoveryCase{"Restored", QMessageBox::Yes, true},
                                           RecoveryCase{"Declined", QMessageBox::No, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
