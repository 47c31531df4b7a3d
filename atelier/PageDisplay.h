// A stored page as a text view shows it, with the page's offsets (where the patterns match)
// turned into the view's positions. The view makes one line break of "\r\n" and of a lone
// "\r" alike, so the carriage returns before a line end (the stored page has one or two) are
// left out of the text shown, and every offset after them moves back by as many.
#pragma once

#include <QString>

#include <vector>

namespace trouvel::atelier {

class PageDisplay {
public:
    PageDisplay() = default;
    explicit PageDisplay(const QString& page);

    const QString& text() const { return text_; }
    // The view's position of a page offset (of the character there, or just after the page).
    int position(qsizetype offset) const;

private:
    QString text_;
    std::vector<qsizetype> dropped_; // the page offsets of the carriage returns left out, in order
};

} // namespace trouvel::atelier
