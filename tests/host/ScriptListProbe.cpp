// Loaded into a cadrelle process with LD_PRELOAD (the installed one as well as the build
// tree's): once its window shows, prints the Modules menu ("module: Trouvel 1.1.2"), opens
// Trouvel from it, prints the wizard's script list ("script: NAME<TAB>tool tip"), closes the
// wizard and quits: status 0, or 3 when no wizard came within 30 s. A message box in the way
// is printed ("message: ...") and closed.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

bool listPrinted = false;

// Again and again while the wizard's own event loop runs, until its list is printed.
void readWizard()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
            std::printf("message: %s\n", qPrintable(box->text()));
            box->reject();
        }
        auto* wizard = qobject_cast<QDialog*>(widget);
        const auto* list = wizard != nullptr && wizard->isVisible() && wizard->objectName() == QLatin1String("Form1")
                               ? wizard->findChild<QComboBox*>(QStringLiteral("list1"))
                               : nullptr;
        if (list != nullptr) {
            for (int i = 0; i < list->count(); ++i)
                std::printf("script: %s\t%s\n", qPrintable(list->itemText(i)), qPrintable(list->itemData(i, Qt::ToolTipRole).toString()));
            listPrinted = true;
            wizard->reject();
            return;
        }
    }
    QTimer::singleShot(100, readWizard);
}

void openTrouvel()
{
    QMainWindow* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<QMainWindow*>(widget); main != nullptr && main->isVisible())
            window = main;
    }
    if (window == nullptr) {
        QTimer::singleShot(100, openTrouvel);
        return;
    }
    QAction* trouvel = nullptr;
    for (QAction* menu : window->menuBar()->actions()) {
        for (QAction* action : menu->text() == QLatin1String("&Modules") ? menu->menu()->actions() : QList<QAction*>()) {
            std::printf("module: %s\n", qPrintable(action->text()));
            if (trouvel == nullptr && action->text().startsWith(QLatin1String("Trouvel ")))
                trouvel = action;
        }
    }
    if (trouvel != nullptr) {
        QTimer::singleShot(100, readWizard);
        trouvel->trigger(); // returns once the wizard has closed
    }
    std::fflush(stdout);
    window->close(); // the catalogue is unchanged: no question
    QCoreApplication::exit(listPrinted ? 0 : 3);
}

// As the application object is made; the rest waits for its event loop, in a program with
// windows only (not cadrelle --list-plugins).
void start()
{
    QTimer::singleShot(0, [] {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
            openTrouvel();
    });
    QTimer::singleShot(30000, [] {
        std::printf("probe: no wizard within 30 s\n");
        std::fflush(stdout);
        std::_Exit(3);
    });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
