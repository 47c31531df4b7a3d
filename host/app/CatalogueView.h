// The catalogue's table: Tab in a cell editor goes on to the next column of the same entry
// (Shift+Tab back), never down to the next entry.
#pragma once

#include <QTreeView>

namespace cadrelle {

class CatalogueView final : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

} // namespace cadrelle
