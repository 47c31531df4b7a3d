#include "Catalogue.h"

#include <utility>

namespace cadrelle {

void Catalogue::addColumn(const QString& caption)
{
    columns_.append(caption);
    for (Entry& e : entries_)
        e.cells.append(QString());
}

void Catalogue::renameColumn(int column, const QString& caption)
{
    columns_[column] = caption;
}

void Catalogue::removeColumn(int column)
{
    columns_.removeAt(column);
    for (Entry& e : entries_)
        e.cells.removeAt(column);
}

int Catalogue::addEntry(QStringList cells, const QString& tag)
{
    cells.resize(columns_.size());
    entries_.append(Entry{std::move(cells), tag});
    return int(entries_.size()) - 1;
}

void Catalogue::removeEntry(int row)
{
    entries_.removeAt(row);
}

void Catalogue::setCell(int row, int column, const QString& text)
{
    entries_[row].cells[column] = text;
}

void Catalogue::setTag(int row, const QString& tag)
{
    entries_[row].tag = tag;
}

void Catalogue::assign(QStringList columns, QList<Entry> entries)
{
    columns_ = std::move(columns);
    entries_ = std::move(entries);
    for (Entry& e : entries_)
        e.cells.resize(columns_.size());
}

void Catalogue::clear()
{
    columns_.clear();
    entries_.clear();
}

} // namespace cadrelle
