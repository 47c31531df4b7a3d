#include "catalogue/CatalogueHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace cadrelle;

class CatalogueHostTest : public ::testing::Test {
protected:
    CatalogueHostTest()
    {
        catalogue.addColumn(u"Titre"_qs);
        catalogue.addColumn(u"Année"_qs);
        catalogue.addColumn(u"Réalisateur"_qs);
        catalogue.addEntry({u"Alien"_qs, u"1979"_qs, u"Scott"_qs});
        catalogue.addEntry({u"Le Mépris"_qs, u"1963"_qs, u"Godard"_qs}, u"mepris.jpg"_qs);
        catalogue.addEntry({u"M"_qs});
    }

    trouvel::ListItem& item(std::int16_t i) { return host.MyLV().ListItems().Item(i); }

    Catalogue catalogue;
    CatalogueHost host{catalogue, u"/data/films/"_qs, u"/home/u/.config/Cadrelle.ini"_qs};
};

TEST_F(CatalogueHostTest, CountsAndNumbersFromOne)
{
    EXPECT_EQ(host.ItemsCount(), 3);
    EXPECT_EQ(host.MyLV().ListItems().Count(), 3);
    EXPECT_EQ(host.ColCount(), 3);
    EXPECT_EQ(item(1).Text(), "Alien");
    EXPECT_EQ(item(2).Text(), "Le Mépris");
    EXPECT_EQ(item(2).SubItems(1), "1963");
    EXPECT_EQ(item(2).SubItems(2), "Godard");
    EXPECT_EQ(item(2).Tag(), "mepris.jpg");
    EXPECT_EQ(host.MyLV().ColumnHeaders(1), "Titre");
    EXPECT_EQ(host.MyLV().ColumnHeaders(3), "Réalisateur");
    EXPECT_EQ(host.tmpfolder(), "/data/films");
    EXPECT_EQ(host.CadrelleIni(), "/home/u/.config/Cadrelle.ini");
}

TEST_F(CatalogueHostTest, OutOfRangeIndexesThrowTheBoundaryError)
{
    for (std::int16_t i : {std::int16_t(0), std::int16_t(4), std::int16_t(-1), std::int16_t(32767)})
        EXPECT_THROW(item(i), trouvel::Error) << "entry " << i;
    for (std::int16_t k : {std::int16_t(0), std::int16_t(4)})
        EXPECT_THROW(host.MyLV().ColumnHeaders(k), trouvel::Error) << "column " << k;
    // SubItems(k) is column k + 1, so k runs up to ColCount() - 1 only.
    for (std::int16_t k : {std::int16_t(0), std::int16_t(3)}) {
        EXPECT_THROW(item(1).SubItems(k), trouvel::Error) << "subitem " << k;
        EXPECT_THROW(item(1).SubItems(k, "x"), trouvel::Error) << "subitem " << k;
    }
}

TEST_F(CatalogueHostTest, WritesReachTheCatalogueAndAreReported)
{
    std::vector<int> changed;
    host.onEntryChanged = [&](int row) { changed.push_back(row); };
    item(3).Text("M le maudit");
    item(3).SubItems(1, "1931");
    item(3).SubItems(2, "Lang");
    item(3).Tag("M le maudit.jpg");
    EXPECT_EQ(catalogue.entry(2).cells, (QStringList{u"M le maudit"_qs, u"1931"_qs, u"Lang"_qs}));
    EXPECT_EQ(catalogue.tag(2), u"M le maudit.jpg"_qs);
    EXPECT_EQ(changed, (std::vector<int>{2, 2, 2, 2}));
}

TEST_F(CatalogueHostTest, SelectionIsKeptAndMovedByThePlugin)
{
    host.setSelectedRows({0, 2});
    EXPECT_TRUE(item(1).Selected());
    EXPECT_FALSE(item(2).Selected());
    EXPECT_TRUE(item(3).Selected());

    std::vector<std::pair<int, bool>> moves;
    host.onSelectionChanged = [&](int row, bool on) { moves.emplace_back(row, on); };
    item(3).Selected(false);
    item(2).Selected(true);
    item(2).Selected(true); // no change, no report
    EXPECT_EQ(host.selectedRows(), (std::vector<int>{0, 1}));
    EXPECT_EQ(moves, (std::vector<std::pair<int, bool>>{{2, false}, {1, true}}));
    // The catalogue itself does not store the selection.
    EXPECT_EQ(catalogue.entryCount(), 3);
}

TEST_F(CatalogueHostTest, IlfautsauverIsRecorded)
{
    int calls = 0;
    host.onSaveRequested = [&] { ++calls; };
    EXPECT_FALSE(host.saveRequested());
    host.ilfautsauver(true);
    EXPECT_TRUE(host.saveRequested());
    EXPECT_EQ(calls, 1);
    host.clearSaveRequest();
    EXPECT_FALSE(host.saveRequested());
}

TEST_F(CatalogueHostTest, EntryRemovedByTheHostIsReportedNotRead)
{
    trouvel::ListItem& last = item(3);
    catalogue.removeEntry(2);
    EXPECT_THROW(last.Text(), trouvel::Error);
    EXPECT_THROW(last.Selected(true), trouvel::Error);
}

TEST_F(CatalogueHostTest, CatalogueWithoutColumnsRefusesText)
{
    Catalogue empty;
    empty.addEntry();
    CatalogueHost bare(empty, {}, {});
    std::int16_t one = 1;
    EXPECT_THROW(bare.ListItems().Item(one).Text(), trouvel::Error);
}

TEST(PluginLimit, AtMost32766EntriesGoToAPlugin)
{
    Catalogue c;
    c.addColumn(u"Titre"_qs);
    c.reserve(kMaxPluginEntries + 1);
    for (int i = 0; i < kMaxPluginEntries; ++i)
        c.addEntry();
    EXPECT_EQ(pluginLimitMessage(c), QString());
    c.addEntry();
    const QString message = pluginLimitMessage(c);
    EXPECT_TRUE(message.contains(u"32767"_qs)) << message.toStdString();
    EXPECT_TRUE(message.contains(u"32766"_qs)) << message.toStdString();
}

} // namespace
