// The catalogue as the window's list view shows it: one row per entry, one column per
// catalogue column, cells edited in place. Every change goes through here so views follow.
#pragma once

#include "catalogue/Catalogue.h"

#include <QAbstractTableModel>

#include <functional>

namespace cadrelle {

class CatalogueModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CatalogueModel(Catalogue& catalogue, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    int addColumn(const QString& caption);
    void renameColumn(int column, const QString& caption);
    void removeColumn(int column);
    int addEntry();
    void removeEntries(QList<int> rows);
    void setTag(int row, const QString& tag);
    // The catalogue changed behind the model's back (a file was loaded, a plug-in wrote).
    void entryChanged(int row);
    // Runs change, which replaces the catalogue's whole content, as one model reset.
    void replaceContent(const std::function<void()>& change);

Q_SIGNALS:
    void edited();

private:
    Catalogue& catalogue_;
};

} // namespace cadrelle
