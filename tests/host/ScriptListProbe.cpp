// Loaded into a cadrelle process with LD_PRELOAD (the installed one as well as the build
// tree's): once its window shows, prints what the Modules menu offers, opens Trouvel from it
// and prints the wizard's script list, each entry with its tool tip, then closes both.
//
//     module: Trouvel 1.1.2
//     script: Demo<TAB>/usr/lib/cadrelle/plugins/Trouvel/scripts/Demo.tvs
//
// A message box is printed ("message: ...") and closed. Exit status 0 once the list was
// printed, 3 when no Trouvel entry or no wizard came within the time limit.
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

constexpr int kTimeLimitMs = 30000;

bool printedList = false;

QMainWindow* mainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget); window != nullptr && window->isVisible())
            return window;
    }
    return nullptr;
}

// Run again and again while the wizard is open (inside its own event loop).
void readWizard()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
            std::printf("message: %s\n", qPrintable(box->text()));
            box->reject();
        }
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* wizard = qobject_cast<QDialog*>(widget);
        if (wizard == nullptr || wizard->objectName() != QLatin1String("Form1") || !wizard->isVisible())
            continue;
        const auto* list = wizard->findChild<QComboBox*>(QStringLiteral("list1"));
        if (list == nullptr)
            continue;
        for (int i = 0; i < list->count(); ++i)
            std::printf("script: %s\t%s\n", qPrintable(list->itemText(i)), qPrintable(list->itemData(i, Qt::ToolTipRole).toString()));
        std::fflush(stdout);
        printedList = true;
        wizard->reject();
        return;
    }
    QTimer::singleShot(100, readWizard);
}

void openTrouvel()
{
    // Only in a program with windows (not cadrelle --list-plugins).
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    QMainWindow* window = mainWindow();
    if (window == nullptr) {
        QTimer::singleShot(100, openTrouvel);
        return;
    }
    QAction* trouvel = nullptr;
    for (QAction* menu : window->menuBar()->actions()) {
        if (menu->menu() == nullptr || menu->text() != QLatin1String("&Modules"))
            continue;
        for (QAction* action : menu->menu()->actions()) {
            std::printf("module: %s\n", qPrintable(action->text()));
            if (trouvel == nullptr && action->text().startsWith(QLatin1String("Trouvel ")))
                trouvel = action;
        }
    }
    std::fflush(stdout);
    if (trouvel != nullptr) {
        QTimer::singleShot(100, readWizard);
        trouvel->trigger(); // returns once the wizard has closed
    }
    std::fflush(stdout);
    // The catalogue was not changed: the window closes without asking.
    window->close();
    QCoreApplication::exit(printedList ? 0 : 3);
}

// Called as the application object is made: the rest waits for its event loop.
void start()
{
    QTimer::singleShot(0, openTrouvel);
    QTimer::singleShot(kTimeLimitMs, [] {
        std::printf("probe: no wizard within %d ms\n", kTimeLimitMs);
        std::fflush(stdout);
        std::_Exit(3);
    });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
