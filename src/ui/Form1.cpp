#include "ui/Form1.h"

#include "ui/MappingDialog.h"
#include "ui/WalkSummaryDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace trouvel::ui {

using namespace trouvel::wizard;

namespace {

// The window's design, in twips (1/1440 inch), as the original form lays it out.
constexpr int kClientWidth = 11100;
constexpr int kClientHeight = 8775;
constexpr int kRowStep = 300;
constexpr int kLongRowSpan = 3; // rows a value too long for its line takes

struct TwipsRect {
    int x, y, w, h;
};

constexpr TwipsRect kList1{120, 120, 10860, 330};
constexpr TwipsRect kEtape1{120, 540, 10860, 840};
constexpr TwipsRect kLabel1{240, 315, 1200, 330};
constexpr TwipsRect kTitre{1500, 315, 7560, 330};
constexpr TwipsRect kBtChercher{9240, 285, 1440, 390};
constexpr TwipsRect kEtape2{120, 1440, 10860, 2520};
constexpr TwipsRect kListView1{120, 285, 10620, 1650};
constexpr TwipsRect kTbUrl{120, 2040, 8940, 330};
constexpr TwipsRect kBtChercher2{9240, 2010, 1440, 390};
constexpr TwipsRect kEtape3{120, 4020, 10860, 3210};
constexpr TwipsRect kFieldArea{120, 285, 7440, 2805};
// Row 0 inside the scrolled field panel; row k is kRowStep * k lower.
constexpr TwipsRect kLblChamp0{60, 15, 1740, 285};
constexpr TwipsRect kChamp0{1860, 15, 3300, 285};
// Where the field goes: "→ Genre", its cell's value in the tool tip.
constexpr TwipsRect kTarget0{5220, 15, 1740, 285};
constexpr TwipsRect kUpdate0{7020, 30, 255, 255};
constexpr TwipsRect kImg{7680, 285, 3060, 2490};
constexpr TwipsRect kUpdateImg{7680, 2805, 3060, 285};
// Above "Sauvegarde Auto", the option that says what it may overwrite.
constexpr TwipsRect kRemplacer{4500, 7275, 6480, 345};
constexpr int kButtonsY = 7665;
constexpr int kButtonsH = 420;
constexpr TwipsRect kBtOptions{120, kButtonsY, 1200, kButtonsH};
constexpr TwipsRect kBtStop{1440, kButtonsY, 2880, kButtonsH};
constexpr TwipsRect kAuto{4500, kButtonsY, 2040, kButtonsH};
constexpr TwipsRect kBtPrecedent{6780, kButtonsY, 600, kButtonsH};
constexpr TwipsRect kBtAjouter{7500, kButtonsY, 1320, kButtonsH};
constexpr TwipsRect kBtQuitter{8940, kButtonsY, 1320, kButtonsH};
constexpr TwipsRect kBtSuivant{10380, kButtonsY, 600, kButtonsH};
constexpr int kStbarHeight = 345;
constexpr int kDesc1Width = 1800;
constexpr int kDesc2Width = 8575;

} // namespace

// Added to a control's x, width, y and height for each pixel the window has beyond the design.
struct Form1::Stretch {
    float moveX = 0, growX = 0, moveY = 0, growY = 0;
};
struct Form1::Placement {
    QWidget* widget;
    TwipsRect rect;
    Stretch stretch;
};

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

Form1::Form1(ModuleState& state, UserInteraction& ui, config::SettingsStore& settings, WizardServices services,
             QWidget* parent)
    : QDialog(parent)
    , state_(state)
    , ui_(ui)
{
    if (!services.openMappingDialog) {
        services.openMappingDialog = [this](const QString& section) {
            if (!state_.HostApp)
                throw Error("Aucune application hôte");
            return showMappingDialog(this, *state_.HostApp, state_.ScriptPath, section, ui_);
        };
    }
    if (!services.showWalkSummary) {
        services.showWalkSummary = [this](const wizard::WalkSummary& walk) {
            // The walk is still winding up when this shows: the move waits for it.
            WalkSummaryDialog summary(walk, [this](int entry) {
                QMetaObject::invokeMethod(this, [this, entry] { engine_->goToEntry(entry); }, Qt::QueuedConnection);
            }, this);
            summary.exec();
        };
    }
    auto chained = std::move(services.requestClose);
    services.requestClose = [this, chained = std::move(chained)] {
        // The window goes at once; a step still waiting inside a download returns to the
        // event loop of exec() before the window object can be destroyed.
        closing_ = true;
        QDialog::done(QDialog::Rejected);
        if (chained)
            chained();
    };
    engine_ = std::make_unique<WizardEngine>(state, ui, settings, std::move(services));

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Trouvel (sur le net) v1.0"));
    buildControls();
    bindModel();
}

Form1::~Form1() = default;

int Form1::twipsX(int twips) const
{
    return qRound(twips * logicalDpiX() / 1440.0);
}

int Form1::twipsY(int twips) const
{
    return qRound(twips * logicalDpiY() / 1440.0);
}

void Form1::buildControls()
{
    auto place = [this](QWidget* widget, const TwipsRect& r, Stretch stretch = {}) {
        placements_.push_back({widget, r, stretch});
        widget->setGeometry(twipsX(r.x), twipsY(r.y), twipsX(r.w), twipsY(r.h));
    };
    auto button = [&](QWidget* parent, const char* name, const QString& caption, const TwipsRect& r, Stretch stretch = {}) {
        auto* b = named(new QPushButton(caption, parent), name);
        // Only the button the wizard names is the default; focus does not move it.
        b->setAutoDefault(false);
        place(b, r, stretch);
        return b;
    };
    // How each control follows a window larger than the design: the wide ones grow, those at
    // the right and the bottom move; the candidate list takes a third of the added height, step
    // 3 the rest.
    constexpr Stretch wide{0, 1, 0, 0};
    constexpr Stretch right{1, 0, 0, 0};
    constexpr Stretch bottom{0, 0, 1, 0};
    constexpr Stretch bottomRight{1, 0, 1, 0};
    constexpr float third = 1.0f / 3;

    // The controls sit on a panel at least of the design's size; on a screen too small for it
    // (a laptop at 200 %), the window shrinks to the screen and the panel scrolls.
    content_ = named(new QWidget, "content");
    content_->resize(twipsX(kClientWidth), twipsY(kClientHeight));
    contentArea_ = named(new QScrollArea(this), "contentArea");
    contentArea_->setFrameShape(QFrame::NoFrame);
    contentArea_->setWidget(content_);
    contentArea_->setGeometry(0, 0, content_->width(), content_->height());
    resize(content_->size());
    QWidget* const parentOfAll = content_;

    list1_ = named(new QComboBox(parentOfAll), "list1");
    list1_->setEditable(true);
    list1_->setInsertPolicy(QComboBox::NoInsert);
    place(list1_, kList1, wide);

    etape1_ = named(new QGroupBox(QStringLiteral("Etape 1 : titre du film"), parentOfAll), "etape1");
    place(etape1_, kEtape1, wide);
    label1_ = named(new QLabel(QStringLiteral("Titre du film"), etape1_), "Label1");
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(label1_, kLabel1);
    titre_ = named(new QLineEdit(etape1_), "titre");
    place(titre_, kTitre, wide);
    btChercher_ = button(etape1_, "btChercher", QStringLiteral("Chercher"), kBtChercher, right);

    etape2_ = named(new QGroupBox(QStringLiteral("Etape 2 : choix multiple"), parentOfAll), "etape2");
    place(etape2_, kEtape2, {0, 1, 0, third});
    listView1_ = named(new QTreeWidget(etape2_), "ListView1");
    listView1_->setRootIsDecorated(false);
    listView1_->setUniformRowHeights(true);
    listView1_->setAllColumnsShowFocus(true);
    listView1_->setColumnCount(3);
    // What the script's ShortText and LongText groups hold.
    listView1_->setHeaderLabels({QStringLiteral("Lien"), QStringLiteral("Titre"), QStringLiteral("Informations")});
    listView1_->header()->setStretchLastSection(false);
    listView1_->setColumnHidden(0, true);
    listView1_->setColumnWidth(1, twipsX(kDesc1Width));
    listView1_->setColumnWidth(2, twipsX(kDesc2Width));
    place(listView1_, kListView1, {0, 1, 0, third});
    tbUrl_ = named(new QLineEdit(etape2_), "tbUrl");
    tbUrl_->setReadOnly(true);
    place(tbUrl_, kTbUrl, {0, 1, third, 0});
    btchercher2_ = button(etape2_, "btchercher2", QStringLiteral("Chercher"), kBtChercher2, {1, 0, third, 0});

    etape3_ = named(new QGroupBox(QStringLiteral("Etape 3 : Infos du film"), parentOfAll), "etape3");
    place(etape3_, kEtape3, {0, 1, third, 1 - third});
    // Rows are 300 twips apart; a script with more rows than the frame holds scrolls.
    fieldArea_ = named(new QScrollArea(etape3_), "fieldArea");
    fieldArea_->setFrameShape(QFrame::NoFrame);
    fieldArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    place(fieldArea_, kFieldArea, {0, 1, 0, 1 - third});
    fieldPanel_ = new QWidget;
    fieldPanel_->resize(twipsX(kFieldArea.w) - style()->pixelMetric(QStyle::PM_ScrollBarExtent), twipsY(kRowStep));
    fieldArea_->setWidget(fieldPanel_);
    // The rows sit on the frame's own background, as if placed on it directly.
    fieldArea_->viewport()->setAutoFillBackground(false);
    fieldPanel_->setAutoFillBackground(false);
    img_ = named(new QLabel(etape3_), "Img");
    img_->setAlignment(Qt::AlignCenter);
    img_->setFrameShape(QFrame::StyledPanel);
    place(img_, kImg, right);
    updateImg_ = named(new QCheckBox(QStringLiteral("Image"), etape3_), "updateImg");
    place(updateImg_, kUpdateImg, right);

    btOptions_ = button(parentOfAll, "btOptions", QStringLiteral("Options"), kBtOptions, bottom);
    btStop_ = button(parentOfAll, "btStop", QStringLiteral("Interrompre le téléchargement"), kBtStop, bottom);
    auto_ = named(new QCheckBox(QStringLiteral("Sauvegarde Auto"), parentOfAll), "auto");
    place(auto_, kAuto, bottom);
    remplacer_ = named(new QCheckBox(QStringLiteral("Remplacer les valeurs existantes"), parentOfAll), "remplacer");
    remplacer_->setToolTip(QStringLiteral("Sans cette case, « Sauvegarde Auto » ne remplit que les cases vides "
                                          "et n'ajoute que les images manquantes (retenu pour ce catalogue)"));
    place(remplacer_, kRemplacer, bottom);
    btPrecedent_ = button(parentOfAll, "btPrecedent", QString(), kBtPrecedent, bottomRight);
    btPrecedent_->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    btAjouter_ = button(parentOfAll, "btAjouter", QStringLiteral("Ajouter"), kBtAjouter, bottomRight);
    btQuitter_ = button(parentOfAll, "btQuitter", QStringLiteral("Quitter"), kBtQuitter, bottomRight);
    btSuivant_ = button(parentOfAll, "btSuivant", QString(), kBtSuivant, bottomRight);
    btSuivant_->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    btSuivant_->setToolTip(QStringLiteral("Passe au suivant sans enregistrer"));

    stbar_ = named(new QStatusBar(parentOfAll), "stbar");
    stbar_->setSizeGripEnabled(false);
    stbarText_ = named(new QLabel(stbar_), "stbarText");
    stbarText_->setFrameShape(QFrame::StyledPanel);
    stbarText_->setFrameShadow(QFrame::Sunken);
    stbarText_->setIndent(twipsX(60));
    stbar_->addWidget(stbarText_, 1);
    // Where "Sauvegarde Auto" is in the list, while it walks.
    walkProgress_ = named(new QProgressBar(stbar_), "walkProgress");
    walkProgress_->setFormat(QStringLiteral("Entrée %v / %m"));
    walkProgress_->setMaximumWidth(twipsX(2400));
    walkProgress_->setVisible(false);
    stbar_->addPermanentWidget(walkProgress_);
    place(stbar_, {60, kClientHeight - kStbarHeight - 45, kClientWidth - 120, kStbarHeight}, {0, 1, 1, 0});

    for (int k = 0; k < engine_->model().fieldRowCount(); ++k)
        addFieldRowWidgets(k);

    // titre first in the tab order, so it has the focus when the window opens.
    setTabOrder(titre_, btChercher_);
    titre_->setFocus();
    titre_->installEventFilter(this);
    listView1_->installEventFilter(this);
    listView1_->viewport()->installEventFilter(this);
}

void Form1::addFieldRowWidgets(int k)
{
    auto* label = new QLabel(fieldPanel_);
    label->setObjectName(QStringLiteral("lbl_champ_%1").arg(k));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* value = new QLineEdit(fieldPanel_);
    value->setObjectName(QStringLiteral("champ_%1").arg(k));
    // A value longer than its line (a synopsis) shows whole in a box of several lines instead.
    auto* longValue = new QPlainTextEdit(fieldPanel_);
    longValue->setObjectName(QStringLiteral("champLong_%1").arg(k));
    longValue->setTabChangesFocus(true);
    longValue->hide();
    auto* box = new QCheckBox(fieldPanel_);
    box->setObjectName(QStringLiteral("update_%1").arg(k));
    auto* target = new QLabel(fieldPanel_);
    target->setObjectName(QStringLiteral("target_%1").arg(k));
    target->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbl_champ_.push_back(label);
    champ_.push_back(value);
    champLong_.push_back(longValue);
    update_.push_back(box);
    target_.push_back(target);
    longRow_.push_back(false);

    WizardModel& model = engine_->model();
    connect(value, &QLineEdit::textEdited, this, [&model, k](const QString& text) { model.setFieldValue(k, text); });
    connect(longValue, &QPlainTextEdit::textChanged, this, [&model, longValue, k] {
        if (longValue->toPlainText() != model.fieldRow(k).value)
            model.setFieldValue(k, longValue->toPlainText());
    });
    connect(box, &QCheckBox::toggled, this, [&model, k](bool on) { model.setFieldTicked(k, on); });
    showFieldRow(k);
}

void Form1::placeFieldRows()
{
    const WizardModel& model = engine_->model();
    int top = 0;   // twips from the panel's top to row k
    int bottom = 0; // below the last visible row
    for (std::size_t k = 0; k < champ_.size(); ++k) {
        const int span = longRow_[k] ? kLongRowSpan : 1;
        const auto at = [&](QWidget* widget, const TwipsRect& r, int grow, int move, int extraHeight = 0) {
            widget->setGeometry(twipsX(r.x) + move, twipsY(top + r.y), twipsX(r.w) + grow, twipsY(r.h + extraHeight));
        };
        at(lbl_champ_[k], kLblChamp0, 0, 0);
        at(champ_[k], kChamp0, rowGrowth_, 0);
        at(champLong_[k], kChamp0, rowGrowth_, 0, (span - 1) * kRowStep);
        at(update_[k], kUpdate0, 0, rowGrowth_);
        at(target_[k], kTarget0, 0, rowGrowth_);
        top += span * kRowStep;
        if (int(k) < model.fieldRowCount() && model.fieldRow(int(k)).visible)
            bottom = top;
    }
    fieldPanel_->resize(twipsX(kFieldArea.w) + rowGrowth_ - style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                        twipsY(bottom + kChamp0.y));
}

void Form1::showFieldRow(int k)
{
    const FieldRow& row = engine_->model().fieldRow(k);
    QLabel* label = lbl_champ_.at(static_cast<std::size_t>(k));
    QLineEdit* value = champ_.at(static_cast<std::size_t>(k));
    QCheckBox* box = update_.at(static_cast<std::size_t>(k));
    QPlainTextEdit* longValue = champLong_.at(static_cast<std::size_t>(k));
    label->setText(row.name);
    label->setToolTip(row.toolTip);
    if (value->text() != row.value) {
        value->setText(row.value);
        value->setCursorPosition(0);
    }
    if (longValue->toPlainText() != row.value)
        longValue->setPlainText(row.value);
    box->setChecked(row.ticked);
    showFieldTarget(k);
    // A row turns long or short when its value comes, not while the user types in it.
    const bool typing = value->hasFocus() || longValue->hasFocus();
    const bool isLong = typing ? longRow_[std::size_t(k)]
                               : row.value.contains(u'\n')
                                     || value->fontMetrics().horizontalAdvance(row.value)
                                            > twipsX(kChamp0.w) + rowGrowth_ - 2 * value->fontMetrics().averageCharWidth();
    longRow_[std::size_t(k)] = isLong;
    label->setVisible(row.visible);
    value->setVisible(row.visible && !isLong);
    longValue->setVisible(row.visible && isLong);
    box->setVisible(row.visible);
    target_.at(static_cast<std::size_t>(k))->setVisible(row.visible);
    placeFieldRows();
}

void Form1::showFieldTarget(int k)
{
    const FieldRow& row = engine_->model().fieldRow(k);
    QLabel* target = target_.at(static_cast<std::size_t>(k));
    champ_.at(static_cast<std::size_t>(k))->setToolTip(row.value.size() > 40 ? row.value : QString());
    if (!row.targetKnown) {
        target->clear();
        target->setToolTip(QString());
        return;
    }
    if (row.column.isEmpty()) {
        target->setText(QStringLiteral("(aucune colonne)"));
        target->setToolTip(QStringLiteral("Aucune colonne ne reçoit ce champ (Options pour en choisir une)"));
        target->setEnabled(false);
        return;
    }
    const QString current = row.current.trimmed();
    const bool same = current == row.value.trimmed();
    const bool replaces = !current.isEmpty() && !same && row.ticked;
    target->setText(QStringLiteral("→ ") + row.column);
    target->setEnabled(!same);
    // A value that a save would write over stands out.
    target->setStyleSheet(replaces ? QStringLiteral("font-weight: bold; color: palette(link);") : QString());
    target->setToolTip(current.isEmpty() ? QStringLiteral("« %1 » est vide").arg(row.column)
                       : same        ? QStringLiteral("« %1 » a déjà cette valeur").arg(row.column)
                                     : QStringLiteral("« %1 » contient « %2 » : Ajouter le remplace").arg(row.column, current));
}

void Form1::showCandidates()
{
    const auto& rows = engine_->model().candidates();
    const int shown = listView1_->topLevelItemCount();
    const QSignalBlocker block(listView1_);
    if (static_cast<std::size_t>(shown) > rows.size())
        listView1_->clear();
    for (std::size_t r = static_cast<std::size_t>(listView1_->topLevelItemCount()); r < rows.size(); ++r)
        new QTreeWidgetItem(listView1_, {rows[r].link, rows[r].desc1, rows[r].desc2});
    const int selected = engine_->model().selectedCandidate();
    // The current cell goes in the first shown column: in the hidden link column its
    // rectangle is empty, and the arrow keys then select row 1 whatever row they reach.
    if (selected >= 0 && selected < listView1_->topLevelItemCount())
        listView1_->setCurrentItem(listView1_->topLevelItem(selected), 1);
}

void Form1::showPicture()
{
    const picture::Picture& picture = engine_->model().picture();
    if (picture.isNull()) {
        img_->clear();
        return;
    }
    const QImage& image = *picture.image;
    const QSize room = img_->contentsRect().size() * img_->devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(img_->devicePixelRatioF());
    img_->setPixmap(pixmap);
}

void Form1::showDefaultButton()
{
    const DefaultButton which = engine_->model().defaultButton();
    btChercher_->setDefault(which == DefaultButton::Search);
    btchercher2_->setDefault(which == DefaultButton::FetchDetails);
    btAjouter_->setDefault(which == DefaultButton::Save);
}

void Form1::showFrames()
{
    etape2_->setVisible(engine_->model().candidatesShown());
    etape3_->setVisible(engine_->model().detailShown());
    // Step 3 opens on its first rows for each film.
    if (!engine_->model().detailShown())
        fieldArea_->verticalScrollBar()->setValue(0);
}

void Form1::showScriptFile()
{
    const WizardModel& model = engine_->model();
    const int index = model.scriptIndex();
    list1_->setToolTip(index >= 0 && index < model.scriptFiles().size() ? model.scriptFiles().at(index) : QString());
}

void Form1::bindModel()
{
    WizardModel& model = engine_->model();
    WizardEngine& engine = *engine_;

    // Model to controls.
    connect(&model, &WizardModel::scriptsChanged, this, [this, &model] {
        const QSignalBlocker block(list1_);
        list1_->clear();
        list1_->addItems(model.scripts());
        // Each entry's tool tip is its file: a user's script and a bundled one are told apart.
        for (int i = 0; i < model.scriptFiles().size() && i < list1_->count(); ++i)
            list1_->setItemData(i, model.scriptFiles().at(i), Qt::ToolTipRole);
        list1_->setCurrentIndex(model.scriptIndex());
        list1_->setEditText(model.scriptText());
        showScriptFile();
    });
    connect(&model, &WizardModel::scriptIndexChanged, this, [this, &model] {
        const QSignalBlocker block(list1_);
        list1_->setCurrentIndex(model.scriptIndex());
        list1_->setEditText(model.scriptText());
        showScriptFile();
    });
    connect(&model, &WizardModel::scriptTextChanged, this, [this, &model] {
        if (list1_->currentText() != model.scriptText()) {
            const QSignalBlocker block(list1_);
            list1_->setEditText(model.scriptText());
        }
    });
    connect(&model, &WizardModel::titleChanged, this, [this, &model] {
        if (titre_->text() != model.title())
            titre_->setText(model.title());
    });
    connect(&model, &WizardModel::candidatesChanged, this, &Form1::showCandidates);
    connect(&model, &WizardModel::selectedCandidateChanged, this, &Form1::showCandidates);
    connect(&model, &WizardModel::candidatesErrorChanged, this,
            [this, &model] { listView1_->setToolTip(model.candidatesError()); });
    connect(&model, &WizardModel::detailAddressChanged, this, [this, &model] { tbUrl_->setText(model.detailAddress()); });
    connect(&model, &WizardModel::fieldRowAdded, this, [this](int k) {
        while (static_cast<int>(champ_.size()) <= k)
            addFieldRowWidgets(static_cast<int>(champ_.size()));
    });
    connect(&model, &WizardModel::fieldRowChanged, this, &Form1::showFieldRow);
    connect(&model, &WizardModel::pictureChanged, this, &Form1::showPicture);
    connect(&model, &WizardModel::pictureTickedChanged, this, [this, &model] { updateImg_->setChecked(model.pictureTicked()); });
    connect(&model, &WizardModel::pictureErrorChanged, this, [this, &model] {
        img_->setToolTip(model.pictureError());
        updateImg_->setToolTip(model.pictureError());
    });
    connect(&model, &WizardModel::autoSaveChanged, this, [this, &model] { auto_->setChecked(model.autoSave()); });
    connect(&model, &WizardModel::statusChanged, this, [this, &model] { stbarText_->setText(model.status()); });
    connect(&model, &WizardModel::stopOfferedChanged, this,
            [this, &model] { btStop_->setVisible(model.stopOffered()); });
    connect(&model, &WizardModel::framesChanged, this, &Form1::showFrames);
    connect(&model, &WizardModel::canSaveChanged, this, [this, &model] { btAjouter_->setEnabled(model.canSave()); });
    connect(&model, &WizardModel::canSearchChanged, this, [this, &model] { btChercher_->setEnabled(model.canSearch()); });
    connect(&model, &WizardModel::scriptWarningsChanged, this,
            [this, &model] { stbarText_->setToolTip(model.scriptWarnings().join(u'\n')); });
    connect(&model, &WizardModel::defaultButtonChanged, this, &Form1::showDefaultButton);
    connect(&model, &WizardModel::focusRequested, this, [this](FocusTarget target) {
        if (target == FocusTarget::Candidates)
            listView1_->setFocus();
        else
            titre_->setFocus();
    });

    // Controls to model and engine.
    connect(list1_, &QComboBox::activated, &engine, &WizardEngine::selectScript);
    connect(list1_, &QComboBox::editTextChanged, this, [this, &engine, &model](const QString& text) {
        // While a step runs the list keeps showing the script in use (its name is also the
        // mapping's section): a choice made meanwhile is undone at once.
        if (engine.isBusy()) {
            const QSignalBlocker block(list1_);
            list1_->setCurrentIndex(model.scriptIndex());
            list1_->setEditText(model.scriptText());
            return;
        }
        model.setScriptText(text);
    });
    connect(titre_, &QLineEdit::textEdited, &model, &WizardModel::setTitle);
    connect(listView1_, &QTreeWidget::currentItemChanged, this, [this, &model](QTreeWidgetItem* item) {
        model.setSelectedCandidate(item ? listView1_->indexOfTopLevelItem(item) : -1);
    });
    connect(listView1_, &QTreeWidget::itemDoubleClicked, &engine, [&engine] { engine.fetchDetails(); });
    connect(updateImg_, &QCheckBox::toggled, &model, &WizardModel::setPictureTicked);
    connect(auto_, &QCheckBox::toggled, &model, &WizardModel::setAutoSave);
    connect(&model, &WizardModel::walkPositionChanged, this, [this, &model] {
        walkProgress_->setVisible(model.walkCount() > 0);
        walkProgress_->setRange(0, std::max(1, model.walkCount()));
        walkProgress_->setValue(model.walkEntry());
    });
    connect(&model, &WizardModel::listEndsChanged, this, [this, &model] {
        btPrecedent_->setEnabled(model.canGoBack());
        btSuivant_->setEnabled(model.canGoForward());
    });
    connect(remplacer_, &QCheckBox::toggled, &engine, [&engine](bool on) { engine.setReplaceExisting(on); });
    connect(&model, &WizardModel::replaceExistingChanged, this, [this, &model] { remplacer_->setChecked(model.replaceExisting()); });
    connect(btChercher_, &QPushButton::clicked, &engine, [&engine] { engine.search(); });
    connect(btchercher2_, &QPushButton::clicked, &engine, [&engine] { engine.fetchDetails(); });
    connect(btAjouter_, &QPushButton::clicked, &engine, [&engine] { engine.save(); });
    connect(btSuivant_, &QPushButton::clicked, &engine, [&engine] { engine.next(); });
    connect(btPrecedent_, &QPushButton::clicked, &engine, [&engine] { engine.previous(); });
    connect(btStop_, &QPushButton::clicked, &engine, [&engine] { engine.stop(); });
    connect(btQuitter_, &QPushButton::clicked, &engine, [&engine] { engine.quit(); });
    connect(btOptions_, &QPushButton::clicked, &engine, [&engine] { engine.openMapping(); });

    // Initial state.
    stbarText_->setText(model.status());
    btStop_->setVisible(model.stopOffered());
    btAjouter_->setEnabled(model.canSave());
    btChercher_->setEnabled(model.canSearch());
    stbarText_->setToolTip(model.scriptWarnings().join(u'\n'));
    auto_->setChecked(model.autoSave());
    remplacer_->setChecked(model.replaceExisting());
    btPrecedent_->setEnabled(model.canGoBack());
    btSuivant_->setEnabled(model.canGoForward());
    updateImg_->setChecked(model.pictureTicked());
    showFrames();
    showDefaultButton();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // A double click on an empty list says there is nothing to fetch, as the button does.
    if (watched == listView1_->viewport() && event->type() == QEvent::MouseButtonDblClick
        && listView1_->topLevelItemCount() == 0) {
        engine_->fetchDetails();
        return true;
    }
    if (event->type() == QEvent::FocusIn) {
        if (watched == titre_)
            engine_->model().setDefaultButton(DefaultButton::Search);
        else if (watched == listView1_)
            engine_->model().setDefaultButton(DefaultButton::FetchDetails);
    }
    return QDialog::eventFilter(watched, event);
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            event->accept();
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void Form1::fitTo(const QRect& available)
{
    const QSize frame = frameGeometry().size() - geometry().size(); // title bar and borders
    const QSize room = (available.size() - frame).boundedTo(content_->size()).expandedTo(QSize(200, 150));
    resize(room);
    move(available.topLeft() + QPoint((available.width() - room.width() - frame.width()) / 2,
                                      (available.height() - room.height() - frame.height()) / 2));
}

void Form1::showEvent(QShowEvent* event)
{
    if (QScreen* shown = screen())
        fitTo(shown->availableGeometry());
    QDialog::showEvent(event);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    contentArea_->setGeometry(rect());
    layoutControls(size());
    QDialog::resizeEvent(event);
}

void Form1::layoutControls(const QSize& window)
{
    const QSize design(twipsX(kClientWidth), twipsY(kClientHeight));
    const QSize room = design.expandedTo(window);
    const int dx = room.width() - design.width();
    const int dy = room.height() - design.height();
    content_->resize(room);
    const auto apply = [&](const Placement& p) {
        p.widget->setGeometry(twipsX(p.rect.x) + qRound(p.stretch.moveX * dx), twipsY(p.rect.y) + qRound(p.stretch.moveY * dy),
                              twipsX(p.rect.w) + qRound(p.stretch.growX * dx), twipsY(p.rect.h) + qRound(p.stretch.growY * dy));
    };
    for (const Placement& p : placements_)
        apply(p);
    rowGrowth_ = dx;
    placeFieldRows();
    listView1_->setColumnWidth(2, std::max(twipsX(kDesc2Width), listView1_->viewport()->width() - listView1_->columnWidth(1)));
}

void Form1::reject()
{
    engine_->quit();
}

void Form1::done(int result)
{
    if (!engine_->isClosed())
        engine_->unload(); // hides the window through requestClose
    else if (!closing_)
        QDialog::done(result);
}

} // namespace trouvel::ui
