#include "AtelierWindow.h"

#include "PatternShown.h"
#include "ReplyText.h"

#include "Fixture.h"
#include "ReplayDownloads.h"

#include "common/BoundedRead.h"
#include "config/ScriptFile.h"
#include "text/PageText.h"
#include "text/StoredPage.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace trouvel::atelier {

AtelierWindow::AtelierWindow(QString scriptFile, UserInteraction& ui, FetchSettings fetch, QWidget* parent)
    : QWidget(parent), scriptFile_(std::move(scriptFile)), ui_(ui), fetchSettings_(std::move(fetch))
{
    content_ = readRegularFile(scriptFile_, config::kMaxScriptBytes).bytes.value_or(QByteArray());
    charset_ = config::ScriptFile(scriptFile_).charset();
    edits_ = ScriptEdits(patternKeys(scriptFile_));
    fetchSettings_.scriptFile = scriptFile_;
    buildControls();
    matcher_ = std::make_unique<MatchWorker>([this](std::uint64_t pass, const PatternOutcome& outcome) {
        QMetaObject::invokeMethod(this, [this, pass, outcome] { showOutcome(pass, outcome); }, Qt::QueuedConnection);
    });
    submitPass();
}

AtelierWindow::~AtelierWindow()
{
    // The threads end before the controls their replies would reach.
    replay_.reset();
    fetcher_.reset();
    matcher_.reset();
}

void AtelierWindow::buildControls()
{
    setWindowTitle(QStringLiteral("Atelier des motifs — %1[*]").arg(QFileInfo(scriptFile_).fileName()));
    auto* layout = new QVBoxLayout(this);

    auto* bar = new QHBoxLayout;
    title_ = new QLineEdit(this);
    title_->setObjectName(QStringLiteral("titre"));
    title_->setPlaceholderText(QStringLiteral("Titre d'un film du site"));
    searchButton_ = new QPushButton(QStringLiteral("Rechercher"), this);
    searchButton_->setObjectName(QStringLiteral("rechercher"));
    saveButton_ = new QPushButton(QStringLiteral("Enregistrer"), this);
    saveButton_->setObjectName(QStringLiteral("enregistrer"));
    saveButton_->setEnabled(false);
    saveButton_->setToolTip(QStringLiteral("Écrit les clés modifiées dans %1 (Ctrl+S)").arg(scriptFile_));
    bar->addWidget(new QLabel(QStringLiteral("Titre :"), this));
    bar->addWidget(title_, 1);
    bar->addWidget(searchButton_);
    // The titles `trouvel record` kept for this script, to work on with no network.
    if (const QStringList recorded = cli::fixtureFolders(cli::defaultFixtureRoot(scriptFile_)); !recorded.isEmpty()) {
        auto* choice = new QComboBox(this);
        choice->setObjectName(QStringLiteral("enregistrements"));
        choice->addItem(QStringLiteral("(aucune)"));
        for (const QString& folder : recorded)
            choice->addItem(QFileInfo(folder).fileName(), folder);
        choice->setToolTip(QStringLiteral("Les pages d'un titre gardé par « trouvel record », relues sans réseau"));
        connect(choice, &QComboBox::activated, this, [this, choice](int index) {
            if (index > 0)
                openRecorded(choice->itemData(index).toString());
        });
        bar->addSpacing(12);
        bar->addWidget(new QLabel(QStringLiteral("Pages enregistrées :"), this));
        bar->addWidget(choice);
    }
    bar->addSpacing(24);
    bar->addWidget(saveButton_);
    layout->addLayout(bar);

    auto* split = new QSplitter(Qt::Horizontal, this);
    pages_ = new PageView(split);
    auto* right = new QSplitter(Qt::Vertical, split);
    scroll_ = new QScrollArea(right);
    form_ = new PatternForm(edits_, scroll_);
    scroll_->setWidget(form_);
    scroll_->setWidgetResizable(true);

    auto* candidateBox = new QGroupBox(QStringLiteral("Candidats (motif de recherche)"), right);
    candidates_ = new QTreeWidget(candidateBox);
    candidates_->setObjectName(QStringLiteral("candidats"));
    candidates_->setHeaderLabels({QStringLiteral("N°"), QStringLiteral("Lien"), QStringLiteral("Texte court"), QStringLiteral("Texte long")});
    candidates_->setRootIsDecorated(false);
    candidates_->setToolTip(QStringLiteral("Cliquez sur un candidat pour lire sa fiche"));
    (new QVBoxLayout(candidateBox))->addWidget(candidates_);

    auto* fieldBox = new QGroupBox(QStringLiteral("Champs (fiche du film)"), right);
    fields_ = new QTreeWidget(fieldBox);
    fields_->setObjectName(QStringLiteral("champs"));
    fields_->setHeaderLabels({QStringLiteral("Champ"), QStringLiteral("Valeur")});
    fields_->setRootIsDecorated(false);
    fields_->setWordWrap(true);
    (new QVBoxLayout(fieldBox))->addWidget(fields_);

    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({620, 620});
    right->setSizes({430, 140, 300});
    layout->addWidget(split, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("etat"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status_);

    connect(searchButton_, &QPushButton::clicked, this, [this] { search(title_->text()); });
    connect(title_, &QLineEdit::returnPressed, this, [this] { search(title_->text()); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { save(); });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] { save(); });
    connect(form_, &PatternForm::edited, this, &AtelierWindow::keyEdited);
    connect(form_, &PatternForm::selectedChanged, this, [this] { submitPass(); });
    const auto open = [this](QTreeWidgetItem* item) {
        if (item)
            openFilm(item->data(1, Qt::UserRole).toString());
    };
    connect(candidates_, &QTreeWidget::itemClicked, this, open);
    connect(candidates_, &QTreeWidget::itemActivated, this, open);
    connect(fields_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const int key = item->data(0, Qt::UserRole).toInt();
        if (key >= 0) {
            form_->select(key);
            scroll_->ensureWidgetVisible(form_->editor(key));
        }
    });
    resize(1260, 860);
}

void AtelierWindow::keyEdited(int key, const QString& value)
{
    edits_.setValue(key, value);
    form_->showChanged(key, edits_.changed(key));
    if (edits_.keys()[std::size_t(key)].role == PatternRole::Field)
        form_->setWarning(key, cutWarning(fieldParts(value).pattern));
    showEdited();
    submitPass();
}

void AtelierWindow::showEdited()
{
    const int changed = edits_.changedCount();
    saveButton_->setEnabled(changed > 0);
    setWindowModified(changed > 0);
}

PatternJob AtelierWindow::passFor(int key) const
{
    PatternJob job;
    job.script = edits_.applyTo(content_);
    job.searchPage = searchText_;
    job.filmPage = filmText_;
    job.searchIsJson = searchJson_;
    job.filmIsJson = filmJson_;
    job.filmAddress = filmAddress_;
    PatternShown shown = patternShown(edits_, key);
    job.pattern = std::move(shown.pattern);
    job.kept = std::move(shown.kept);
    job.onFilmPage = shown.onFilmPage;
    job.read = shown.read;
    return job;
}

void AtelierWindow::submitPass()
{
    if (edits_.size() > 0)
        matcher_->submit(passFor(form_->selected()));
}

void AtelierWindow::showOutcome(std::uint64_t pass, const PatternOutcome& outcome)
{
    if (!matcher_->isLatest(pass))
        return;
    pages_->showOutcome(outcome);
    showCandidates(outcome);
    showFields(outcome);
    Q_EMIT outcomeShown();
    if (openFirstCandidate_ && !outcome.candidates.empty()) {
        openFirstCandidate_ = false;
        const std::size_t chosen = pick_ > 0 && std::size_t(pick_) <= outcome.candidates.size() ? std::size_t(pick_ - 1) : 0;
        openFilm(outcome.candidates[chosen].link);
    }
}

void AtelierWindow::showCandidates(const PatternOutcome& outcome)
{
    candidates_->clear();
    int n = 0;
    for (const wizard::Candidate& c : outcome.candidates) {
        auto* item = new QTreeWidgetItem(candidates_, {QString::number(++n), c.link, c.desc1, c.desc2});
        item->setData(1, Qt::UserRole, c.link);
        if (!filmLink_.isEmpty() && c.link == filmLink_) {
            QFont font = item->font(0);
            font.setBold(true);
            for (int column = 0; column < 4; ++column)
                item->setFont(column, font);
        }
    }
    if (!outcome.candidatesError.isEmpty())
        new QTreeWidgetItem(candidates_, {QString(), QStringLiteral("motif en erreur : %1").arg(outcome.candidatesError)});
    for (int column = 0; column < 3; ++column)
        candidates_->resizeColumnToContents(column);
}

void AtelierWindow::showFields(const PatternOutcome& outcome)
{
    fields_->clear();
    const auto add = [this](const QString& name, const QString& value, bool found, const QString& why, int key) {
        const QString shown = !why.isEmpty() ? why : found ? value : QStringLiteral("(aucune correspondance)");
        auto* item = new QTreeWidgetItem(fields_, {name, shown});
        item->setData(0, Qt::UserRole, key);
        item->setToolTip(1, shown);
        if (!found || !why.isEmpty())
            item->setForeground(1, QColor(0xa0, 0x20, 0x20));
    };
    for (std::size_t i = 0; i < outcome.fields.size(); ++i) {
        const FieldRow& f = outcome.fields[i];
        add(f.name, f.value, f.ticked, f.why, edits_.indexOfField(int(i) + 1));
    }
    if (!filmText_.isEmpty()) {
        const wizard::PictureAddress& p = outcome.picture;
        add(QStringLiteral("Image (PatternImg)"), p.address.isEmpty() ? QStringLiteral("(aucune adresse)") : p.address,
            !p.address.isEmpty(), p.error, edits_.indexOf(PatternRole::Picture));
    }
    fields_->resizeColumnToContents(0);
}

void AtelierWindow::showSearchPage(const FetchedPage& page)
{
    searchText_ = text::decodePage(page.stored, charset_);
    searchJson_ = text::isJsonPage(page.stored);
    pages_->setPage(PageKind::Search, searchText_, page.finalAddress.isEmpty() ? page.address : page.finalAddress);
    submitPass();
}

void AtelierWindow::showFilmPage(const FetchedPage& page, const QString& link)
{
    filmText_ = text::decodePage(page.stored, charset_);
    filmJson_ = text::isJsonPage(page.stored);
    filmAddress_ = page.finalAddress.isEmpty() ? page.address : page.finalAddress;
    filmLink_ = link;
    pages_->setPage(PageKind::Film, filmText_, filmAddress_);
    submitPass();
}

std::unique_ptr<SiteFetcher> AtelierWindow::makeFetcher(FetchSettings settings)
{
    return std::make_unique<SiteFetcher>(std::move(settings), [this](const FetchReply& reply) {
        QMetaObject::invokeMethod(this, [this, reply] { showReply(reply); }, Qt::QueuedConnection);
    });
}

SiteFetcher& AtelierWindow::fetcher()
{
    if (replaying_)
        return *replay_;
    if (!fetcher_)
        fetcher_ = makeFetcher(fetchSettings_);
    return *fetcher_;
}

void AtelierWindow::openRecorded(const QString& folder)
{
    QString why;
    std::optional<cli::Fixture> fixture = cli::loadFixture(folder, &why);
    if (!fixture) {
        status_->setText(QStringLiteral("Enregistrement illisible : %1").arg(why));
        return;
    }
    const QString title = fixture->title;
    const int pick = fixture->pick;
    FetchSettings replayed = fetchSettings_;
    replayed.pageClient = cli::replayPageClient(std::make_shared<const cli::Fixture>(std::move(*fixture)));
    replay_ = makeFetcher(std::move(replayed));
    replaying_ = true;
    pick_ = pick;
    title_->setText(title);
    searchButton_->setEnabled(false);
    openFirstCandidate_ = false;
    status_->setText(QStringLiteral("Relecture de « %1 » (%2)…").arg(title, QFileInfo(folder).fileName()));
    replay_->search(title, edits_.applyTo(content_));
}

void AtelierWindow::search(const QString& title)
{
    if (title.trimmed().isEmpty()) {
        status_->setText(QStringLiteral("Saisissez le titre d'un film du site."));
        title_->setFocus();
        return;
    }
    title_->setText(title);
    replaying_ = false;
    pick_ = 0;
    searchButton_->setEnabled(false); // until the site has answered
    openFirstCandidate_ = false;
    status_->setText(QStringLiteral("Recherche de « %1 »…").arg(title));
    fetcher().search(title, edits_.applyTo(content_));
}

void AtelierWindow::openFilm(const QString& link)
{
    if (link.isEmpty() || (link == filmLink_ && !filmText_.isEmpty()))
        return;
    status_->setText(QStringLiteral("Lecture de la fiche « %1 »…").arg(link));
    fetcher().openFilm(link, edits_.applyTo(content_));
}

void AtelierWindow::showReply(const FetchReply& reply)
{
    searchButton_->setEnabled(true);
    if (reply.searchPage) {
        showSearchPage(*reply.searchPage);
        if (!reply.filmPage) {
            // Another title: the film page of the last one would mislead.
            showFilmPage(FetchedPage{}, QString());
            openFirstCandidate_ = true;
        }
    }
    if (reply.filmPage)
        showFilmPage(*reply.filmPage, reply.filmLink);
    status_->setText(replyText(reply));
    Q_EMIT fetchEnded();
}

bool AtelierWindow::save()
{
    const int changed = edits_.changedCount();
    if (changed == 0)
        return true;
    if (const QString why = saveEdits(scriptFile_, edits_); !why.isEmpty()) {
        ui_.messageBox(QStringLiteral("Le script n'a pas été enregistré : %1").arg(why), MsgButtons::Ok, MsgIcon::Warning);
        status_->setText(QStringLiteral("Script non enregistré : %1").arg(why));
        return false;
    }
    content_ = readRegularFile(scriptFile_, config::kMaxScriptBytes).bytes.value_or(content_);
    for (int i = 0; i < edits_.size(); ++i)
        form_->showChanged(i, false);
    showEdited();
    status_->setText(QStringLiteral("Script enregistré : %1 clé(s) modifiée(s) dans %2").arg(changed).arg(scriptFile_));
    return true;
}

void AtelierWindow::closeEvent(QCloseEvent* event)
{
    const int changed = edits_.changedCount();
    if (changed > 0) {
        const MsgAnswer answer = ui_.messageBox(
            QStringLiteral("%1 modification(s) du script « %2 » ne sont pas enregistrées. Les enregistrer avant de fermer ?")
                .arg(changed)
                .arg(QFileInfo(scriptFile_).fileName()),
            MsgButtons::YesNoCancel);
        if (answer == MsgAnswer::Cancel || (answer == MsgAnswer::Yes && !save())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

} // namespace trouvel::atelier
