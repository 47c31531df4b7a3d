#include "Catalogue.h"

#include "common/LengthPrefixed.h"

#include <stdexcept>
#include <utility>

namespace cadrelle {

namespace {

using trouvel::packed::appendField;
using trouvel::packed::readField;

// Where field `index` starts.
qsizetype fieldStart(const QByteArray& row, int index)
{
    qsizetype at = 0;
    for (int i = 0; i < index; ++i)
        readField(row, at);
    return at;
}

// Where field `index` starts and where the next one does: its length and its bytes.
std::pair<qsizetype, qsizetype> fieldSpan(const QByteArray& row, int index)
{
    const qsizetype start = fieldStart(row, index);
    qsizetype end = start;
    readField(row, end);
    return {start, end};
}

QByteArray pack(const QStringList& cells, int width, const QString& tag)
{
    QByteArray row;
    for (int c = 0; c < width; ++c)
        appendField(row, c < cells.size() ? QByteArrayView(cells[c].toUtf8()) : QByteArrayView());
    appendField(row, tag.toUtf8());
    row.squeeze();
    return row;
}

} // namespace

Entry Catalogue::entry(int row) const
{
    const QByteArray& bytes = rows_.at(std::size_t(row));
    Entry e;
    e.cells.reserve(columns_.size());
    qsizetype at = 0;
    for (int c = 0; c < columnCount(); ++c)
        e.cells.append(QString::fromUtf8(readField(bytes, at)));
    e.tag = QString::fromUtf8(readField(bytes, at));
    return e;
}

QByteArrayView Catalogue::field(int row, int index) const
{
    const QByteArray& bytes = rows_.at(std::size_t(row));
    qsizetype at = fieldStart(bytes, index);
    return readField(bytes, at);
}

QByteArrayView Catalogue::cellUtf8(int row, int column) const
{
    if (column < 0 || column >= columnCount())
        throw std::out_of_range("Catalogue::cellUtf8: no such column");
    return field(row, column);
}

QByteArrayView Catalogue::tagUtf8(int row) const { return field(row, columnCount()); }

void Catalogue::replaceField(int row, int index, QByteArrayView utf8)
{
    QByteArray& bytes = rows_.at(std::size_t(row));
    const auto [start, end] = fieldSpan(bytes, index);
    QByteArray changed;
    changed.reserve(bytes.size() - (end - start) + utf8.size() + 10);
    changed.append(bytes.constData(), start);
    appendField(changed, utf8);
    changed.append(bytes.constData() + end, bytes.size() - end);
    bytes = std::move(changed);
}

void Catalogue::addColumn(const QString& caption)
{
    columns_.append(caption);
    // The new cell goes just before the Tag.
    for (QByteArray& bytes : rows_) {
        const qsizetype tagAt = fieldStart(bytes, columnCount() - 1);
        bytes.insert(tagAt, '\0');
    }
}

void Catalogue::renameColumn(int column, const QString& caption)
{
    columns_[column] = caption;
}

void Catalogue::removeColumn(int column)
{
    for (QByteArray& bytes : rows_) {
        const auto [start, end] = fieldSpan(bytes, column);
        bytes.remove(start, end - start);
    }
    columns_.removeAt(column);
}

int Catalogue::addEntry(const QStringList& cells, const QString& tag)
{
    rows_.push_back(pack(cells, columnCount(), tag));
    return entryCount() - 1;
}

void Catalogue::removeEntry(int row)
{
    rows_.erase(rows_.begin() + row);
}

void Catalogue::setCell(int row, int column, const QString& text)
{
    if (column < 0 || column >= columnCount())
        throw std::out_of_range("Catalogue::setCell: no such column");
    replaceField(row, column, text.toUtf8());
}

void Catalogue::setTag(int row, const QString& tag)
{
    replaceField(row, columnCount(), tag.toUtf8());
}

void Catalogue::assign(QStringList columns, const QList<Entry>& entries)
{
    columns_ = std::move(columns);
    rows_.clear();
    rows_.reserve(std::size_t(entries.size()));
    for (const Entry& e : entries)
        addEntry(e.cells, e.tag);
}

void Catalogue::clear()
{
    columns_.clear();
    rows_.clear();
}

} // namespace cadrelle
