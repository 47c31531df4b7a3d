// The host object that Cadrelle hands to a plug-in: the plug-in boundary's HostApplication,
// ListView, ListItemCollection and ListItem over a Catalogue, numbered from 1. It needs no
// widgets: the selection is kept here, and ilfautsauver is recorded and reported through a
// callback, so the window and the command-line tool can both drive a plug-in with it.
#pragma once

#include "Catalogue.h"

#include <trouvel/Trouvel.h>

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace cadrelle {

// Indexes cross the boundary as 16-bit integers and the plug-in counts one past the last
// entry, so a catalogue longer than this cannot be handed over.
inline constexpr int kMaxPluginEntries = 32766;

// Empty when catalogue can be handed to a plug-in, otherwise the message to show.
QString pluginLimitMessage(const Catalogue& catalogue);

class CatalogueHost final : public trouvel::HostApplication,
                            public trouvel::ListView,
                            public trouvel::ListItemCollection {
public:
    // The catalogue must outlive this object; tmpFolder holds Trouvel.ini and the pictures.
    CatalogueHost(Catalogue& catalogue, QString tmpFolder, QString cadrelleIni);
    ~CatalogueHost() override;

    // --- what the window or the tool does with it
    void setTmpFolder(const QString& folder) { tmpFolder_ = folder; }
    void setCadrelleIni(const QString& path) { cadrelleIni_ = path; }
    // Rows (0-based) are selected; any other row is not.
    void setSelectedRows(const std::vector<int>& rows);
    std::vector<int> selectedRows() const;
    bool isSelected(int row) const;
    bool saveRequested() const { return saveRequested_; }
    void clearSaveRequest() { saveRequested_ = false; }
    // Called after the plug-in changed a cell or a Tag of row (0-based).
    std::function<void(int row)> onEntryChanged;
    // Called when the plug-in selects or deselects row (0-based).
    std::function<void(int row, bool selected)> onSelectionChanged;
    // Called when the plug-in sets ilfautsauver.
    std::function<void()> onSaveRequested;

    // --- HostApplication
    trouvel::ListView& MyLV() override { return *this; }
    std::int32_t ItemsCount() const override;
    std::int32_t ColCount() const override;
    std::string tmpfolder() const override;
    std::string CadrelleIni() const override;
    void ilfautsauver(bool mustSave) override;

    // --- ListView
    trouvel::ListItemCollection& ListItems() override { return *this; }
    std::string ColumnHeaders(std::int16_t k) const override;

    // --- ListItemCollection
    std::int32_t Count() const override;
    trouvel::ListItem& Item(std::int16_t& i) override;

private:
    class EntryItem;
    friend class EntryItem;
    // Row (0-based) of 1-based entry i; throws trouvel::Error when there is none.
    int rowOf(int i) const;
    void setSelected(int row, bool selected);
    void changed(int row);

    Catalogue& catalogue_;
    QString tmpFolder_;
    QString cadrelleIni_;
    std::vector<bool> selected_;
    std::vector<std::unique_ptr<EntryItem>> items_;
    bool saveRequested_ = false;
};

} // namespace cadrelle
