#include "CatalogueModel.h"

#include <algorithm>

namespace cadrelle {

CatalogueModel::CatalogueModel(Catalogue& catalogue, QObject* parent)
    : QAbstractTableModel(parent), catalogue_(catalogue)
{
}

int CatalogueModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : catalogue_.entryCount();
}

int CatalogueModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : catalogue_.columnCount();
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return {};
    const QString& text = catalogue_.cell(index.row(), index.column());
    if (role == Qt::DisplayRole) {
        // One line per row in the list; the whole text stays in the editor and the tool tip.
        QString line = text;
        line.replace(u'\n', u' ').remove(u'\r');
        return line;
    }
    return text;
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < catalogue_.columnCount() ? catalogue_.columnCaption(section) : QVariant();
    return section + 1;
}

Qt::ItemFlags CatalogueModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool CatalogueModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const QString text = value.toString();
    if (text == catalogue_.cell(index.row(), index.column()))
        return true;
    catalogue_.setCell(index.row(), index.column(), text);
    Q_EMIT dataChanged(index, index);
    Q_EMIT edited();
    return true;
}

int CatalogueModel::addColumn(const QString& caption)
{
    const int column = catalogue_.columnCount();
    beginInsertColumns({}, column, column);
    catalogue_.addColumn(caption);
    endInsertColumns();
    Q_EMIT edited();
    return column;
}

void CatalogueModel::renameColumn(int column, const QString& caption)
{
    catalogue_.renameColumn(column, caption);
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    Q_EMIT edited();
}

void CatalogueModel::removeColumn(int column)
{
    beginRemoveColumns({}, column, column);
    catalogue_.removeColumn(column);
    endRemoveColumns();
    Q_EMIT edited();
}

int CatalogueModel::addEntry()
{
    const int row = catalogue_.entryCount();
    beginInsertRows({}, row, row);
    catalogue_.addEntry();
    endInsertRows();
    Q_EMIT edited();
    return row;
}

void CatalogueModel::removeEntries(QList<int> rows)
{
    if (rows.isEmpty())
        return;
    // From the bottom up, so the rows still to remove keep their numbers.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        beginRemoveRows({}, row, row);
        catalogue_.removeEntry(row);
        endRemoveRows();
    }
    Q_EMIT edited();
}

void CatalogueModel::setTag(int row, const QString& tag)
{
    catalogue_.setTag(row, tag);
    entryChanged(row);
    Q_EMIT edited();
}

void CatalogueModel::entryChanged(int row)
{
    if (catalogue_.columnCount() > 0)
        Q_EMIT dataChanged(index(row, 0), index(row, catalogue_.columnCount() - 1));
}

void CatalogueModel::replaceContent(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

} // namespace cadrelle
