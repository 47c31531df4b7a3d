#include "MainWindow.h"

#include "CatalogueHistory.h"
#include "CatalogueModel.h"
#include "CatalogueView.h"
#include "PreferencesDialog.h"
#include "catalogue/CatalogueFile.h"
#include "pluginhost/PluginList.h"
#include "common/WholeFile.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTreeView>

#include <utility>

namespace cadrelle {

namespace {
const QString kCsvFilter = QObject::tr("Catalogues (*.csv);;Tous les fichiers (*)");
}

MainWindow::MainWindow(QString profileFile, const QStringList& pluginModules, QWidget* parent)
    : QMainWindow(parent), profileFile_(std::move(profileFile)),
      host_(std::make_shared<CatalogueHost>(catalogue_, QString(), profileFile_)),
      model_(new CatalogueModel(catalogue_, this)), view_(new CatalogueView), picture_(new QLabel)
{
    catalogue_.addColumn(tr("Titre"));

    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view_->header()->setSectionsMovable(false);

    picture_->setAlignment(Qt::AlignCenter);
    picture_->setMinimumWidth(160);
    picture_->setText(tr("(pas d'image)"));

    auto* splitter = new QSplitter;
    splitter->addWidget(view_);
    splitter->addWidget(picture_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    history_ = new CatalogueHistory(catalogue_, [this](const Catalogue& state) {
        model_->replaceContent([&] { catalogue_ = state; });
        showPicture();
    }, this);
    connect(history_, &CatalogueHistory::modifiedChanged, this, [this](bool modified) { setModified(modified); });
    connect(model_, &CatalogueModel::edited, this, [this] { history_->changed(tr("Modification du catalogue")); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { showPicture(); });

    // What a plug-in does to the catalogue shows at once, even behind its modal window.
    host_->onEntryChanged = [this](int row) {
        model_->entryChanged(row);
        if (row == currentRow())
            showPicture();
    };
    host_->onSelectionChanged = [this](int row, bool selected) { selectRow(row, selected); };
    host_->onSaveRequested = [this] { history_->changed(pluginStepText_, true); };

    buildMenus();
    buildPluginMenu(pluginModules);
    // Within the screen's free area, a large scale factor included.
    QSize size(960, 600);
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableGeometry().size() * 9 / 10);
    resize(size);
    setModified(false);
}

MainWindow::~MainWindow()
{
    // The widgets outlive the members (QWidget deletes its children last) and a shown table
    // still asks its model for captions while it hides: the model, which reads catalogue_,
    // goes first.
    view_->setModel(nullptr);
    delete model_;
    // The history's steps are dropped as it goes, which it would report to this half-gone window.
    delete history_;
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&Fichier"));
    file->addAction(tr("&Nouveau"), QKeySequence::New, this, [this] {
        if (maybeSave())
            newCatalogue();
    });
    file->addAction(tr("&Ouvrir…"), QKeySequence::Open, this, [this] { open(); });
    saveAction_ = file->addAction(tr("&Enregistrer"), QKeySequence::Save, this, [this] { save(); });
    file->addAction(tr("Enregistrer &sous…"), QKeySequence::SaveAs, this, [this] { saveAs(); });
    file->addSeparator();
    file->addAction(tr("&Préférences…"), this, [this] { preferences(); });
    file->addSeparator();
    file->addAction(tr("&Quitter"), QKeySequence::Quit, this, [this] { close(); });

    QMenu* edit = menuBar()->addMenu(tr("É&dition"));
    QAction* undo = history_->stack().createUndoAction(this, tr("Annuler"));
    undo->setShortcuts(QKeySequence::Undo);
    edit->addAction(undo);
    QAction* redo = history_->stack().createRedoAction(this, tr("Rétablir"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addAction(redo);

    QMenu* columns = menuBar()->addMenu(tr("&Colonnes"));
    columns->addAction(tr("&Ajouter…"), this, [this] { addColumn(); });
    columns->addAction(tr("&Renommer…"), this, [this] { renameColumn(); });
    columns->addAction(tr("&Supprimer…"), this, [this] { removeColumn(); });

    QMenu* entries = menuBar()->addMenu(tr("&Entrées"));
    entries->addAction(tr("&Ajouter"), QKeySequence(Qt::CTRL | Qt::Key_Return), this, [this] { addEntry(); });
    entries->addAction(tr("&Modifier la cellule"), QKeySequence(Qt::Key_F2), this, [this] { editEntry(); });
    entries->addAction(tr("&Image…"), this, [this] { choosePicture(); });
    entries->addAction(tr("&Supprimer"), QKeySequence::Delete, this, [this] { removeEntries(); });

    pluginMenu_ = menuBar()->addMenu(tr("&Modules"));
}

void MainWindow::buildPluginMenu(const QStringList& modules)
{
    LoadedPlugins loaded = loadPlugins(modules);
    for (std::unique_ptr<PluginModule>& module : loaded.modules) {
        const PluginInfo& info = module->info();
        QAction* action = pluginMenu_->addAction(QStringLiteral("%1 %2").arg(info.name, info.version));
        action->setStatusTip(info.description);
        action->setToolTip(QStringLiteral("%1 — %2 <%3>").arg(info.description, info.author, info.email));
        PluginModule* raw = module.get();
        connect(action, &QAction::triggered, this, [this, raw] { runPlugin(*raw); });
        plugins_.push_back(std::move(module));
    }
    if (plugins_.empty())
        pluginMenu_->addAction(tr("(aucun module trouvé)"))->setEnabled(false);
    if (!loaded.errors.isEmpty())
        statusBar()->showMessage(loaded.errors.join(QStringLiteral(" ; ")), 15000);
}

void MainWindow::runPlugin(PluginModule& module)
{
    if (const QString limit = pluginLimitMessage(catalogue_); !limit.isEmpty()) {
        QMessageBox::warning(this, module.info().name, limit);
        return;
    }
    // A cell still being edited belongs to the catalogue before the plug-in reads it.
    view_->setFocus();
    const QString folder = tmpFolder();
    QDir().mkpath(folder);
    host_->setTmpFolder(folder);
    host_->setCadrelleIni(profileFile_);
    host_->setSelectedRows(selectedRows());
    host_->clearSaveRequest();
    pluginStepText_ = module.info().name;

    const QString error = module.run(host_);
    // Anything the plug-in changed without asking to save is a step too.
    history_->changed(pluginStepText_, true);
    if (!error.isEmpty())
        QMessageBox::critical(this, module.info().name, error);
    showPicture();
}

QString MainWindow::tmpFolder() const
{
    if (!filePath_.isEmpty())
        return QFileInfo(filePath_).absolutePath();
    // A catalogue not saved yet keeps its pictures in Cadrelle's own data folder.
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

std::vector<int> MainWindow::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    return rows;
}

void MainWindow::selectRow(int row, bool selected)
{
    const QModelIndex index = model_->index(row, 0);
    const auto flags = (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    view_->selectionModel()->select(index, flags);
    if (selected) {
        view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        view_->scrollTo(index);
    }
}

int MainWindow::currentRow() const
{
    const QModelIndex index = view_->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void MainWindow::showPicture()
{
    const int row = currentRow();
    const QString tag = row >= 0 ? catalogue_.tag(row) : QString();
    QPixmap pixmap;
    if (!tag.isEmpty())
        pixmap.load(QDir(tmpFolder()).filePath(tag));
    if (pixmap.isNull()) {
        picture_->setPixmap(QPixmap());
        picture_->setText(tag.isEmpty() ? tr("(pas d'image)") : tr("Image introuvable :\n%1").arg(tag));
        return;
    }
    picture_->setPixmap(pixmap.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    showPicture();
}

void MainWindow::newCatalogue()
{
    model_->replaceContent([this] {
        catalogue_.clear();
        catalogue_.addColumn(tr("Titre"));
    });
    filePath_.clear();
    history_->reset(QString());
    setModified(false);
    showPicture();
}

void MainWindow::open()
{
    if (!maybeSave())
        return;
    const QString path = QFileDialog::getOpenFileName(this, tr("Ouvrir un catalogue"), QFileInfo(filePath_).absolutePath(), kCsvFilter);
    if (!path.isEmpty())
        openCatalogue(path);
}

bool MainWindow::openCatalogue(const QString& path)
{
    Catalogue loaded;
    if (const QString error = loadCatalogue(path, loaded); !error.isEmpty()) {
        QMessageBox::critical(this, tr("Ouvrir"), error);
        return false;
    }
    model_->replaceContent([&] { catalogue_ = std::move(loaded); });
    filePath_ = QFileInfo(path).absoluteFilePath();
    history_->reset(filePath_);
    setModified(false);
    offerRecovery();
    if (catalogue_.entryCount() > 0)
        view_->setCurrentIndex(model_->index(0, 0));
    showPicture();
    statusBar()->showMessage(tr("%n entrée(s)", nullptr, catalogue_.entryCount()), 5000);
    return true;
}

bool MainWindow::save()
{
    return filePath_.isEmpty() ? saveAs() : saveTo(filePath_);
}

bool MainWindow::saveAs()
{
    QString path = QFileDialog::getSaveFileName(this, tr("Enregistrer le catalogue"), filePath_, kCsvFilter);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    const QString oldFolder = tmpFolder();
    const QString newFolder = QFileInfo(path).absolutePath();
    if (!saveTo(path))
        return false;
    // Tags name files in the catalogue's folder: the pictures move with the catalogue, and
    // so does the plug-in's column mapping kept beside it.
    if (QFileInfo(oldFolder).canonicalFilePath() != QFileInfo(newFolder).canonicalFilePath()) {
        copyPictures(oldFolder, newFolder);
        copyMapping(oldFolder, newFolder);
    }
    return true;
}

void MainWindow::copyPictures(const QString& fromFolder, const QString& folder)
{
    const QDir from(fromFolder);
    QStringList failed;
    QStringList outside;
    for (int row = 0; row < catalogue_.entryCount(); ++row) {
        const QString tag = catalogue_.tag(row);
        if (tag.isEmpty())
            continue;
        // A Tag that leads out of the catalogue's folder is not followed: the entry keeps it.
        if (!isTagInFolder(tag)) {
            outside.append(tag);
            continue;
        }
        if (!from.exists(tag) || QFileInfo::exists(QDir(folder).filePath(tag)))
            continue;
        if (const QString reason = trouvel::copyWholeFile(from.filePath(tag), QDir(folder).filePath(tag)); !reason.isEmpty())
            failed.append(tr("%1 : %2").arg(tag, reason));
    }
    if (!failed.isEmpty())
        QMessageBox::warning(this, tr("Enregistrer"), tr("Images non copiées dans « %1 » :\n%2").arg(folder, failed.join(u'\n')));
    if (!outside.isEmpty())
        QMessageBox::warning(this, tr("Enregistrer"),
                             tr("Ces images ne sont pas dans le dossier du catalogue et n'ont pas été copiées :\n%1")
                                 .arg(outside.join(u'\n')));
}

void MainWindow::copyMapping(const QString& fromFolder, const QString& folder)
{
    const QString name = QStringLiteral("Trouvel.ini");
    const QString from = QDir(fromFolder).filePath(name);
    const QString to = QDir(folder).filePath(name);
    if (!QFileInfo::exists(from))
        return;
    // Another catalogue of that folder may own the one there: it is kept.
    if (QFileInfo::exists(to)) {
        QMessageBox::warning(this, tr("Enregistrer"),
                             tr("« %1 » existe déjà : la correspondance des colonnes de ce catalogue n'y a pas été copiée.").arg(to));
        return;
    }
    if (const QString reason = trouvel::copyWholeFile(from, to); !reason.isEmpty())
        QMessageBox::warning(this, tr("Enregistrer"), tr("Impossible de copier « %1 » : %2").arg(to, reason));
}

bool MainWindow::saveTo(const QString& path)
{
    view_->setFocus();
    if (const QString error = saveCatalogue(path, catalogue_); !error.isEmpty()) {
        QMessageBox::critical(this, tr("Enregistrer"), error);
        return false;
    }
    filePath_ = QFileInfo(path).absoluteFilePath();
    history_->saved(filePath_);
    setModified(false);
    statusBar()->showMessage(tr("Catalogue enregistré"), 3000);
    return true;
}

bool MainWindow::maybeSave()
{
    if (!isWindowModified())
        return true;
    const auto answer = QMessageBox::warning(this, tr("Cadrelle"), tr("Le catalogue a été modifié. Enregistrer les modifications ?"),
                                             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    if (answer == QMessageBox::Discard)
        history_->discardRecovery();
    return answer == QMessageBox::Discard;
}

void MainWindow::offerRecovery()
{
    const QString recovery = CatalogueHistory::recoveryPath(filePath_);
    const QFileInfo copy(recovery);
    if (!copy.exists())
        return;
    Catalogue recovered;
    const bool newer = copy.lastModified() >= QFileInfo(filePath_).lastModified();
    if (!newer || !loadCatalogue(recovery, recovered).isEmpty() || recovered == catalogue_) {
        QFile::remove(recovery);
        return;
    }
    const auto answer = QMessageBox::question(
        this, tr("Cadrelle"),
        tr("Des modifications de ce catalogue n'ont pas été enregistrées (le programme s'est arrêté avant). "
           "Les restaurer ?\n\nOui : le catalogue revient tel qu'il était, non enregistré ; Non : la copie de secours est supprimée."),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        QFile::remove(recovery);
        return;
    }
    model_->replaceContent([&] { catalogue_ = std::move(recovered); });
    history_->changed(tr("Restauration de la copie de secours"));
    showPicture();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (maybeSave())
        event->accept();
    else
        event->ignore();
}

void MainWindow::setModified(bool modified)
{
    setWindowModified(modified);
    if (saveAction_)
        saveAction_->setEnabled(modified || filePath_.isEmpty());
    updateTitle();
}

void MainWindow::updateTitle()
{
    const QString name = filePath_.isEmpty() ? tr("Sans titre") : QFileInfo(filePath_).fileName();
    setWindowTitle(name + QStringLiteral("[*] — Cadrelle"));
}

void MainWindow::addColumn()
{
    bool ok = false;
    const QString caption = QInputDialog::getText(this, tr("Ajouter une colonne"), tr("Titre de la colonne :"), QLineEdit::Normal, QString(), &ok);
    if (ok && !caption.trimmed().isEmpty())
        model_->addColumn(caption.trimmed());
}

void MainWindow::renameColumn()
{
    if (catalogue_.columnCount() == 0)
        return;
    const int current = std::max(0, view_->currentIndex().column());
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, tr("Renommer une colonne"), tr("Colonne :"), catalogue_.columns(), current, false, &ok);
    if (!ok)
        return;
    const int column = int(catalogue_.columns().indexOf(chosen));
    const QString caption = QInputDialog::getText(this, tr("Renommer une colonne"), tr("Nouveau titre :"), QLineEdit::Normal, chosen, &ok);
    if (ok && !caption.trimmed().isEmpty() && column >= 0)
        model_->renameColumn(column, caption.trimmed());
}

void MainWindow::removeColumn()
{
    if (catalogue_.columnCount() == 0)
        return;
    const int current = std::max(0, view_->currentIndex().column());
    bool ok = false;
    const QStringList captions = catalogue_.columns();
    const QString chosen = QInputDialog::getItem(this, tr("Supprimer une colonne"), tr("Colonne :"), captions, current, false, &ok);
    if (!ok)
        return;
    const int column = int(captions.indexOf(chosen));
    if (column < 0)
        return;
    if (QMessageBox::question(this, tr("Supprimer une colonne"), tr("Supprimer la colonne « %1 » et son contenu ?").arg(chosen))
        == QMessageBox::Yes)
        model_->removeColumn(column);
}

void MainWindow::addEntry()
{
    if (catalogue_.columnCount() == 0) {
        QMessageBox::information(this, tr("Ajouter une entrée"), tr("Ajoutez d'abord une colonne."));
        return;
    }
    const int row = model_->addEntry();
    const QModelIndex index = model_->index(row, 0);
    view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->edit(index);
}

void MainWindow::editEntry()
{
    const QModelIndex index = view_->currentIndex();
    if (index.isValid())
        view_->edit(index);
}

void MainWindow::removeEntries()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    if (QMessageBox::question(this, tr("Supprimer"), tr("Supprimer %n entrée(s) ?", nullptr, int(rows.size()))) != QMessageBox::Yes)
        return;
    model_->removeEntries(QList<int>(rows.begin(), rows.end()));
    showPicture();
}

void MainWindow::choosePicture()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const QString path = QFileDialog::getOpenFileName(this, tr("Image de l'entrée"), tmpFolder(), tr("Images (*.jpg *.jpeg *.png *.gif *.bmp)"));
    if (path.isEmpty())
        return;
    const QString folder = tmpFolder();
    QDir().mkpath(folder);
    const QFileInfo source(path);
    QString name = source.fileName();
    // Tags are file names inside the catalogue's folder; a picture from elsewhere is copied in.
    if (QFileInfo(source.absolutePath()).canonicalFilePath() != QFileInfo(folder).canonicalFilePath()) {
        int n = 1;
        while (QFileInfo::exists(QDir(folder).filePath(name)))
            name = QStringLiteral("%1-%2.%3").arg(source.completeBaseName()).arg(++n).arg(source.suffix());
        if (const QString reason = trouvel::copyWholeFile(path, QDir(folder).filePath(name)); !reason.isEmpty()) {
            QMessageBox::critical(this, tr("Image de l'entrée"), tr("Impossible de copier l'image dans « %1 » : %2").arg(folder, reason));
            return;
        }
    }
    model_->setTag(row, name);
    showPicture();
}

void MainWindow::preferences()
{
    PreferencesDialog dialog(profileFile_, this);
    dialog.exec();
}

} // namespace cadrelle
