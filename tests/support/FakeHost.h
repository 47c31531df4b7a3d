// A catalogue host in memory for the wizard tests: entries with their columns, selection and
// Tag, and a switch that makes a chosen member fail as a broken host would.
#pragma once

#include <trouvel/Trouvel.h>

#include <map>
#include <string>
#include <vector>

namespace trouvel::wizard::test {

struct FakeEntry : ListItem {
    bool selected = false;
    std::vector<std::string> columns; // column 1 is Text
    std::string tag;
    bool failSelected = false;
    int failColumn = 0; // SubItems(failColumn - 1, ...) throws, as a host member that refuses a value

    bool Selected() const override { return selected; }
    void Selected(bool on) override
    {
        if (failSelected)
            throw Error("Selected a échoué");
        selected = on;
    }
    std::string Text() const override { return columns.at(0); }
    void Text(const std::string& text) override { columns.at(0) = text; }
    std::string SubItems(std::int16_t k) const override { return columns.at(static_cast<std::size_t>(k)); }
    void SubItems(std::int16_t k, const std::string& text) override
    {
        if (k < 1 || static_cast<std::size_t>(k) >= columns.size())
            throw Error("SubItems : colonne inexistante");
        if (k + 1 == failColumn)
            throw Error("SubItems : valeur refusée");
        columns[static_cast<std::size_t>(k)] = text;
    }
    std::string Tag() const override { return tag; }
    void Tag(const std::string& t) override { tag = t; }
};

struct FakeHost : HostApplication, ListView, ListItemCollection {
    std::vector<FakeEntry> entries;
    int colCount = 3;
    std::string folder;
    std::string hostIni;
    int mustSaveCount = 0;
    bool failMustSave = false;
    std::map<std::int16_t, std::string> headers; // captions other than "Col k"

    FakeHost(int count, const std::string& tmpfolder, int columns = 3)
        : entries(static_cast<std::size_t>(count))
        , colCount(columns)
        , folder(tmpfolder)
    {
        for (int i = 0; i < count; ++i) {
            entries[static_cast<std::size_t>(i)].columns.assign(static_cast<std::size_t>(columns), std::string());
            entries[static_cast<std::size_t>(i)].columns[0] = "Film " + std::to_string(i + 1);
        }
    }
    FakeEntry& entry(int i) { return entries.at(static_cast<std::size_t>(i - 1)); }

    // HostApplication
    ListView& MyLV() override { return *this; }
    std::int32_t ItemsCount() const override { return static_cast<std::int32_t>(entries.size()); }
    std::int32_t ColCount() const override { return colCount; }
    std::string tmpfolder() const override { return folder; }
    std::string CadrelleIni() const override { return hostIni; }
    void ilfautsauver(bool mustSave) override
    {
        if (failMustSave)
            throw Error("ilfautsauver a échoué");
        mustSaveCount += mustSave ? 1 : 0;
    }
    // ListView
    ListItemCollection& ListItems() override { return *this; }
    std::string ColumnHeaders(std::int16_t k) const override
    {
        const auto named = headers.find(k);
        return named != headers.end() ? named->second : "Col " + std::to_string(k);
    }
    // ListItemCollection
    std::int32_t Count() const override { return static_cast<std::int32_t>(entries.size()); }
    ListItem& Item(std::int16_t& i) override
    {
        if (i < 1 || static_cast<std::size_t>(i) > entries.size())
            throw Error("Index hors limites");
        return entries[static_cast<std::size_t>(i - 1)];
    }
};

} // namespace trouvel::wizard::test
