#include "PageView.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>
#include <QVBoxLayout>

namespace trouvel::atelier {

namespace {

QTextCharFormat markFormat(PageView::Mark::Kind kind)
{
    QTextCharFormat format;
    switch (kind) {
    case PageView::Mark::Match:
        format.setBackground(QColor(0xff, 0xf0, 0xa0));
        break;
    case PageView::Mark::Group:
        format.setBackground(QColor(0xff, 0xb0, 0x4c));
        break;
    case PageView::Mark::Partial:
        format.setBackground(QColor(0xff, 0xd4, 0xd4));
        break;
    case PageView::Mark::Stop:
        format.setBackground(QColor(0xd0, 0x30, 0x38));
        format.setForeground(Qt::white);
        break;
    }
    return format;
}

} // namespace

PageView::PageView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("correspondances"));
    QFont bold = count_->font();
    bold.setBold(true);
    count_->setFont(bold);
    count_->setWordWrap(true); // a long text must not widen the pages' side
    explanation_ = new QLabel(this);
    explanation_->setObjectName(QStringLiteral("explication"));
    explanation_->setWordWrap(true);
    explanation_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    explanation_->setTextFormat(Qt::PlainText);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("pages"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QString names[] = {QStringLiteral("pageRecherche"), QStringLiteral("pageFilm")};
    const QString titles[] = {QStringLiteral("Page de recherche"), QStringLiteral("Fiche du film")};
    for (int i = 0; i < 2; ++i) {
        auto* view = new QPlainTextEdit(tabs_);
        view->setObjectName(names[i]);
        view->setReadOnly(true);
        view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        view->setFont(fixed);
        view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        view->setPlaceholderText(QStringLiteral("Aucune page lue : saisissez un titre et cliquez sur « Rechercher »."));
        views_[std::size_t(i)] = view;
        tabs_->addTab(view, titles[i]);
    }
    address_ = new QLabel(this);
    address_->setObjectName(QStringLiteral("adressePage"));
    address_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // What the colours mean, for an author who has not read the documentation.
    auto* legend = new QLabel(this);
    legend->setObjectName(QStringLiteral("legende"));
    const auto swatch = [](Mark::Kind kind, const QString& text) {
        const QTextCharFormat format = markFormat(kind);
        return QStringLiteral("<span style=\"background-color:%1; color:%2\">&nbsp;%3&nbsp;</span>")
            .arg(format.background().color().name(),
                 format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color().name() : QStringLiteral("#000000"), text);
    };
    legend->setText(swatch(Mark::Match, QStringLiteral("correspondance")) + QStringLiteral(" ") + swatch(Mark::Group, QStringLiteral("groupe gardé"))
                    + QStringLiteral(" ") + swatch(Mark::Partial, QStringLiteral("début qui correspond")) + QStringLiteral(" ")
                    + swatch(Mark::Stop, QStringLiteral("arrêt")));
    auto* top = new QHBoxLayout;
    top->addWidget(count_, 1);
    top->addWidget(legend);
    layout->addLayout(top);
    layout->addWidget(explanation_);
    layout->addWidget(tabs_, 1);
    layout->addWidget(address_);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        const QString& address = addresses_[std::size_t(index)];
        address_->setText(address.isEmpty() ? QString() : QStringLiteral("Adresse : %1").arg(address));
    });
    explanation_->hide();
}

void PageView::setPage(PageKind kind, const QString& page, const QString& address)
{
    const auto i = std::size_t(kind);
    pages_[i] = PageDisplay(page);
    addresses_[i] = address;
    marks_[i].clear();
    lastFirstMark_[i] = -1;
    views_[i]->setPlainText(pages_[i].text());
    views_[i]->setExtraSelections({});
    if (currentPage() == kind)
        address_->setText(address.isEmpty() ? QString() : QStringLiteral("Adresse : %1").arg(address));
}

void PageView::showPage(PageKind kind)
{
    tabs_->setCurrentIndex(int(kind));
}

PageKind PageView::currentPage() const
{
    return tabs_->currentIndex() == 1 ? PageKind::Film : PageKind::Search;
}

QString PageView::countText() const
{
    return count_->text();
}

QString PageView::explanationText() const
{
    return explanation_->isVisibleTo(this) ? explanation_->text() : QString();
}

void PageView::showOutcome(const PatternOutcome& outcome)
{
    const PageKind kind = outcome.onFilmPage ? PageKind::Film : PageKind::Search;
    const PageKind other = outcome.onFilmPage ? PageKind::Search : PageKind::Film;
    marks_[std::size_t(other)].clear();
    applyMarks(other);
    showPage(kind);

    std::vector<Mark>& marks = marks_[std::size_t(kind)];
    marks.clear();
    const PageDisplay& page = pages_[std::size_t(kind)];
    const auto span = [&](qsizetype from, qsizetype length, Mark::Kind markKind) {
        const int start = page.position(from);
        marks.push_back({start, page.position(from + length) - start, markKind});
    };
    const wizard::PatternExplanation& e = outcome.explanation;
    QString count;
    bool failing = false;
    if (outcome.noPage) {
        count = outcome.onFilmPage ? QStringLiteral("Pas encore de fiche : choisissez un candidat, ou « Rechercher ».")
                                   : QStringLiteral("Pas encore de page : saisissez un titre et cliquez sur « Rechercher ».");
    } else if (!e.error.isEmpty()) {
        count = QStringLiteral("Motif en erreur");
        failing = true;
    } else if (outcome.matches == 0) {
        count = QStringLiteral("Aucune correspondance");
        failing = true;
        if (e.itemsMatched > 0) {
            span(e.partialFrom, e.partialLength, Mark::Partial);
            span(e.partialFrom + e.partialLength, 1, Mark::Stop);
        }
    } else {
        count = QStringLiteral("%1 correspondance(s)").arg(outcome.matches);
        if (outcome.matches > int(outcome.shown.size()))
            count += QStringLiteral(" (les %1 premières marquées)").arg(outcome.shown.size());
        for (const Highlight& h : outcome.shown)
            span(h.from, h.length, Mark::Match);
        for (const Highlight& h : outcome.shown)
            for (const wizard::GroupSpan& g : h.groups)
                if (g.from >= 0)
                    span(g.from, g.length, Mark::Group);
    }
    count_->setText(count);
    count_->setStyleSheet(failing ? QStringLiteral("color: #b00020;") : QString());
    explanation_->setText(outcome.explanationText);
    explanation_->setVisible(!outcome.noPage && !outcome.explanationText.isEmpty());
    applyMarks(kind);
}

void PageView::applyMarks(PageKind kind)
{
    const auto i = std::size_t(kind);
    QPlainTextEdit* view = views_[i];
    QList<QTextEdit::ExtraSelection> selections;
    const int end = view->document()->characterCount() - 1;
    int focus = -1; // where to bring the view: the first match, or where a partial run stops
    for (const Mark& mark : marks_[i]) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(view->document());
        const int from = std::clamp(mark.from, 0, end);
        selection.cursor.setPosition(from);
        selection.cursor.setPosition(std::clamp(mark.from + std::max(mark.length, 0), 0, end), QTextCursor::KeepAnchor);
        selection.format = markFormat(mark.kind);
        selections.append(selection);
        if (focus < 0 && mark.kind != Mark::Group && mark.kind != Mark::Partial)
            focus = from;
    }
    view->setExtraSelections(selections);
    if (focus >= 0 && focus != lastFirstMark_[i]) {
        QTextCursor cursor(view->document());
        cursor.setPosition(focus);
        view->setTextCursor(cursor);
        view->centerCursor();
    }
    lastFirstMark_[i] = focus;
}

} // namespace trouvel::atelier
