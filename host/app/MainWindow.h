// Cadrelle's main window: the catalogue in a list view, the selected entry's picture beside
// it, and the plug-ins found at start-up in the Modules menu.
#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueHost.h"
#include "pluginhost/PluginModule.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTreeView;

namespace cadrelle {

class CatalogueHistory;
class CatalogueModel;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // pluginModules: module files to offer in the Modules menu.
    MainWindow(QString profileFile, const QStringList& pluginModules, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens path; shows why and returns false when it cannot be read.
    bool openCatalogue(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildPluginMenu(const QStringList& modules);
    void newCatalogue();
    void open();
    bool save();
    bool saveAs();
    bool saveTo(const QString& path);
    // Asks what to do with unsaved changes; false when the user cancels.
    bool maybeSave();
    // A recovery copy newer than the file just opened: offered back, or removed.
    void offerRecovery();
    void setModified(bool modified);
    void updateTitle();
    void addColumn();
    void renameColumn();
    void removeColumn();
    void addEntry();
    void editEntry();
    void removeEntries();
    void choosePicture();
    void showPicture();
    void preferences();
    void runPlugin(PluginModule& module);
    // The working folder handed to plug-ins: the catalogue's own folder.
    QString tmpFolder() const;
    std::vector<int> selectedRows() const;
    void selectRow(int row, bool selected);
    int currentRow() const;
    void copyPictures(const QString& fromFolder, const QString& folder);
    // Trouvel.ini (the plug-in's column mapping) into the new folder, unless one is there.
    void copyMapping(const QString& fromFolder, const QString& folder);

    QString profileFile_;
    QString filePath_;
    Catalogue catalogue_;
    std::shared_ptr<CatalogueHost> host_;
    CatalogueModel* model_;
    CatalogueHistory* history_ = nullptr;
    QString pluginStepText_; // what the undo step of a plug-in's writes is called
    QTreeView* view_;
    QLabel* picture_;
    QAction* saveAction_ = nullptr;
    QMenu* pluginMenu_ = nullptr;
    // Last, so the plug-ins go before the host object and the catalogue they were given.
    std::vector<std::unique_ptr<PluginModule>> plugins_;
};

} // namespace cadrelle
