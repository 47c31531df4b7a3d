// The workbench's left side: the stored search page and film page, one tab each, as text,
// every match of the pattern being edited marked in its page (the whole match in one colour,
// the groups the step keeps in a second), its count above, and for a pattern that matches
// nothing, "aucune correspondance" with how far it got, the part that does match marked and
// the place where it stops brought into view.
#pragma once

#include "PageDisplay.h"
#include "PatternRun.h"

#include <QWidget>

#include <array>

class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace trouvel::atelier {

enum class PageKind { Search = 0, Film = 1 };

class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);

    // The decoded page (empty: none fetched yet) and where it was read from.
    void setPage(PageKind kind, const QString& page, const QString& address);
    void showPage(PageKind kind);
    PageKind currentPage() const;
    // The marks of one pass over its page; the other page loses its marks.
    void showOutcome(const PatternOutcome& outcome);

    QString countText() const;
    QString explanationText() const;
    // The ranges marked in a page's view: the matches, then the kept groups, then a run that
    // matches in part (its stop last), as view positions.
    struct Mark {
        int from = 0;
        int length = 0;
        enum Kind { Match, Group, Partial, Stop } kind = Match;
    };
    const std::vector<Mark>& marks(PageKind kind) const { return marks_[std::size_t(kind)]; }

private:
    void applyMarks(PageKind kind);

    QTabWidget* tabs_ = nullptr;
    std::array<QPlainTextEdit*, 2> views_{};
    std::array<PageDisplay, 2> pages_;
    std::array<QString, 2> addresses_;
    std::array<std::vector<Mark>, 2> marks_;
    std::array<int, 2> lastFirstMark_{-1, -1}; // brought into view once, not at every keystroke
    QLabel* address_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* explanation_ = nullptr;
};

} // namespace trouvel::atelier
