#include "CatalogueView.h"

namespace cadrelle {

QModelIndex CatalogueView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action != MoveNext && action != MovePrevious)
        return QTreeView::moveCursor(action, modifiers);
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return QTreeView::moveCursor(action, modifiers);
    const int step = action == MoveNext ? 1 : -1;
    for (int column = current.column() + step; column >= 0 && column < model()->columnCount(current.parent()); column += step) {
        if (!isColumnHidden(column))
            return current.siblingAtColumn(column);
    }
    return current; // the first or last column: Tab stays on this entry
}

} // namespace cadrelle
