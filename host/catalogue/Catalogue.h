// A catalogue as Cadrelle keeps it: user-defined columns and entries, each entry with one
// cell per column and the file name of its picture (its Tag). Rows and columns are 0-based
// here; the 1-based numbering of the plug-in boundary lives in CatalogueHost.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace cadrelle {

struct Entry {
    QStringList cells;
    QString tag;
};

class Catalogue {
public:
    int columnCount() const { return int(columns_.size()); }
    int entryCount() const { return int(entries_.size()); }
    const QStringList& columns() const { return columns_; }
    const QString& columnCaption(int column) const { return columns_.at(column); }
    const Entry& entry(int row) const { return entries_.at(row); }

    // Columns: every entry gets or loses the matching cell, so rows stay as wide as the header.
    void addColumn(const QString& caption);
    void renameColumn(int column, const QString& caption);
    void removeColumn(int column);

    // Adds an entry with the given cells (padded or cut to the column count); returns its row.
    int addEntry(QStringList cells = {}, const QString& tag = {});
    void removeEntry(int row);

    const QString& cell(int row, int column) const { return entries_.at(row).cells.at(column); }
    void setCell(int row, int column, const QString& text);
    const QString& tag(int row) const { return entries_.at(row).tag; }
    void setTag(int row, const QString& tag);

    // Replaces everything: used by the file reader once a whole file parsed cleanly.
    void assign(QStringList columns, QList<Entry> entries);
    void clear();
    void reserve(int entries) { entries_.reserve(entries); }

private:
    QStringList columns_;
    QList<Entry> entries_;
};

} // namespace cadrelle
