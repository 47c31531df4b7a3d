#include "PageDisplay.h"

#include <algorithm>

namespace trouvel::atelier {

PageDisplay::PageDisplay(const QString& page)
{
    text_.reserve(page.size());
    for (qsizetype i = 0; i < page.size(); ++i) {
        const QChar c = page[i];
        if (c == u'\r' && i + 1 < page.size() && (page[i + 1] == u'\r' || page[i + 1] == u'\n')) {
            dropped_.push_back(i);
            continue;
        }
        // The view's frame marks would open frames inside the text.
        text_ += (c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1) ? QChar(QChar::ReplacementCharacter) : c;
    }
}

int PageDisplay::position(qsizetype offset) const
{
    const auto before = std::lower_bound(dropped_.begin(), dropped_.end(), offset) - dropped_.begin();
    return int(offset - before);
}

} // namespace trouvel::atelier
