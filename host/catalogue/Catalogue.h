// A catalogue as Cadrelle keeps it: user-defined columns and entries, each entry with one
// cell per column and the file name of its picture (its Tag). Rows and columns are 0-based
// here; the 1-based numbering of the plug-in boundary lives in CatalogueHost.
//
// Each entry is held as one block of UTF-8 (every cell, then the Tag, each after its length),
// so a filled catalogue takes about what its file takes rather than several times that as
// separate strings; cells are read out as QString copies.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace cadrelle {

struct Entry {
    QStringList cells;
    QString tag;
};

class Catalogue {
public:
    int columnCount() const { return int(columns_.size()); }
    int entryCount() const { return int(rows_.size()); }
    const QStringList& columns() const { return columns_; }
    const QString& columnCaption(int column) const { return columns_.at(column); }
    Entry entry(int row) const;

    // Columns: every entry gets or loses the matching cell, so rows stay as wide as the header.
    void addColumn(const QString& caption);
    void renameColumn(int column, const QString& caption);
    void removeColumn(int column);

    // Adds an entry with the given cells (padded or cut to the column count); returns its row.
    int addEntry(const QStringList& cells = {}, const QString& tag = {});
    void removeEntry(int row);

    QString cell(int row, int column) const { return QString::fromUtf8(cellUtf8(row, column)); }
    // The cell's bytes as held, valid until the entry changes.
    QByteArrayView cellUtf8(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    QString tag(int row) const { return QString::fromUtf8(tagUtf8(row)); }
    QByteArrayView tagUtf8(int row) const;
    void setTag(int row, const QString& tag);

    // Replaces everything: used by the file reader once a whole file parsed cleanly.
    void assign(QStringList columns, const QList<Entry>& entries);
    void clear();
    void reserve(int entries) { rows_.reserve(std::size_t(entries)); }

    bool operator==(const Catalogue&) const = default;

private:
    QByteArrayView field(int row, int index) const;
    void replaceField(int row, int index, QByteArrayView utf8);

    QStringList columns_;
    // Per entry: columnCount() cells then the Tag, each as its length and its UTF-8 bytes
    // (common/LengthPrefixed.h).
    std::vector<QByteArray> rows_;
};

} // namespace cadrelle
