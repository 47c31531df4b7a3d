#include "CatalogueHost.h"

#include <QDir>

#include <algorithm>

#include <utility>

namespace cadrelle {

namespace {

QString fromUtf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string toUtf8(const QString& s)
{
    return s.toStdString();
}

std::string toStdString(QByteArrayView utf8)
{
    return std::string(utf8.data(), std::size_t(utf8.size()));
}

} // namespace

QString pluginLimitMessage(const Catalogue& catalogue)
{
    if (catalogue.entryCount() <= kMaxPluginEntries)
        return {};
    return QStringLiteral("Le catalogue compte %1 entrées : un module ne peut en traiter que %2 au plus. "
                          "Partagez-le en plusieurs catalogues pour utiliser ce module.")
        .arg(catalogue.entryCount())
        .arg(kMaxPluginEntries);
}

// One entry seen through the common-controls ListItem members.
class CatalogueHost::EntryItem final : public trouvel::ListItem {
public:
    EntryItem(CatalogueHost& host, int row) : host_(host), row_(row) {}

    bool Selected() const override { return host_.isSelected(checkedRow()); }
    void Selected(bool selected) override { host_.setSelected(checkedRow(), selected); }

    std::string Text() const override { return toStdString(host_.catalogue_.cellUtf8(checkedRow(), firstColumn())); }
    void Text(const std::string& text) override
    {
        const int row = checkedRow();
        host_.catalogue_.setCell(row, firstColumn(), fromUtf8(text));
        host_.changed(row);
    }

    std::string SubItems(std::int16_t k) const override
    {
        return toStdString(host_.catalogue_.cellUtf8(checkedRow(), subItemColumn(k)));
    }
    void SubItems(std::int16_t k, const std::string& text) override
    {
        const int row = checkedRow();
        host_.catalogue_.setCell(row, subItemColumn(k), fromUtf8(text));
        host_.changed(row);
    }

    std::string Tag() const override { return toStdString(host_.catalogue_.tagUtf8(checkedRow())); }
    void Tag(const std::string& tag) override
    {
        const int row = checkedRow();
        host_.catalogue_.setTag(row, fromUtf8(tag));
        host_.changed(row);
    }

private:
    // The entry may have been removed on the host side since the plug-in got hold of it.
    int checkedRow() const
    {
        if (row_ >= host_.catalogue_.entryCount())
            throw trouvel::Error("Cette entrée n'existe plus");
        return row_;
    }
    int firstColumn() const
    {
        if (host_.catalogue_.columnCount() < 1)
            throw trouvel::Error("Le catalogue n'a aucune colonne");
        return 0;
    }
    int subItemColumn(int k) const
    {
        if (k < 1 || k >= host_.catalogue_.columnCount())
            throw trouvel::Error("Sous-élément " + std::to_string(k) + " inexistant (le catalogue a "
                                 + std::to_string(host_.catalogue_.columnCount()) + " colonnes)");
        return k;
    }

    CatalogueHost& host_;
    int row_;
};

CatalogueHost::CatalogueHost(Catalogue& catalogue, QString tmpFolder, QString cadrelleIni)
    : catalogue_(catalogue), tmpFolder_(std::move(tmpFolder)), cadrelleIni_(std::move(cadrelleIni))
{
}

CatalogueHost::~CatalogueHost() = default;

void CatalogueHost::setSelectedRows(const std::vector<int>& rows)
{
    selected_.assign(std::size_t(catalogue_.entryCount()), false);
    for (int r : rows) {
        if (r >= 0 && r < catalogue_.entryCount())
            selected_[std::size_t(r)] = true;
    }
}

std::vector<int> CatalogueHost::selectedRows() const
{
    std::vector<int> rows;
    const int n = std::min(int(selected_.size()), catalogue_.entryCount());
    for (int r = 0; r < n; ++r) {
        if (selected_[std::size_t(r)])
            rows.push_back(r);
    }
    return rows;
}

bool CatalogueHost::isSelected(int row) const
{
    return row >= 0 && std::size_t(row) < selected_.size() && selected_[std::size_t(row)];
}

void CatalogueHost::setSelected(int row, bool selected)
{
    if (selected_.size() < std::size_t(catalogue_.entryCount()))
        selected_.resize(std::size_t(catalogue_.entryCount()), false);
    if (selected_[std::size_t(row)] == selected)
        return;
    selected_[std::size_t(row)] = selected;
    if (onSelectionChanged)
        onSelectionChanged(row, selected);
}

void CatalogueHost::changed(int row)
{
    if (onEntryChanged)
        onEntryChanged(row);
}

std::int32_t CatalogueHost::ItemsCount() const
{
    return catalogue_.entryCount();
}

std::int32_t CatalogueHost::ColCount() const
{
    return catalogue_.columnCount();
}

std::string CatalogueHost::tmpfolder() const
{
    // The boundary promises no trailing separator.
    QString folder = QDir::cleanPath(tmpFolder_);
    if (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return toUtf8(folder);
}

std::string CatalogueHost::CadrelleIni() const
{
    return toUtf8(cadrelleIni_);
}

void CatalogueHost::ilfautsauver(bool mustSave)
{
    if (!mustSave)
        return;
    saveRequested_ = true;
    if (onSaveRequested)
        onSaveRequested();
}

std::string CatalogueHost::ColumnHeaders(std::int16_t k) const
{
    if (k < 1 || k > catalogue_.columnCount())
        throw trouvel::Error("Colonne " + std::to_string(k) + " inexistante (le catalogue a "
                             + std::to_string(catalogue_.columnCount()) + " colonnes)");
    return toUtf8(catalogue_.columnCaption(k - 1));
}

std::int32_t CatalogueHost::Count() const
{
    return catalogue_.entryCount();
}

int CatalogueHost::rowOf(int i) const
{
    if (i < 1 || i > catalogue_.entryCount())
        throw trouvel::Error("Entrée " + std::to_string(i) + " inexistante (le catalogue en compte "
                             + std::to_string(catalogue_.entryCount()) + ")");
    return i - 1;
}

trouvel::ListItem& CatalogueHost::Item(std::int16_t& i)
{
    const int row = rowOf(i);
    if (items_.size() < std::size_t(catalogue_.entryCount()))
        items_.resize(std::size_t(catalogue_.entryCount()));
    auto& item = items_[std::size_t(row)];
    if (!item)
        item = std::make_unique<EntryItem>(*this, row);
    return *item;
}

} // namespace cadrelle
