// The mapping model: rows read from Trouvel.ini and the script, and the chooser's entries.
#include "mapping/ColumnMapping.h"

#include "config/Convert.h"
#include "support/MappingFixture.h"

namespace trouvel::mapping::test {
namespace {

const QString kTitre = "Match3=Titre|<h1>(.*)</h1>";

class ColumnMappingTest : public MappingFixture {};

struct RowCase {
    const char* name;
    const char* storedCol2; // nullptr: no key
    QStringList scriptExtra;
    const char* nb;
    const char* contenu;
};

class MappingRowTest : public ColumnMappingTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(MappingRowTest, RowShowsStoredValueAndFieldLabel)
{
    const RowCase& c = GetParam();
    addColumns({"Titre", "Réalisateur", "Année"});
    QStringList lines{"[FilmPage]", "Count=3", "Match1=Nom|x", kTitre};
    lines += c.scriptExtra;
    const QString script = writeScript("Site", lines);
    if (c.storedCol2)
        store("Site", "Col2", c.storedCol2);

    const auto rows = loadMappingRows(*host, iniFile(), "Site", script);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (MappingRow{"Réalisateur", c.nb, c.contenu}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MappingRowTest,
    ::testing::Values(RowCase{"FieldThree", "3", {}, "3", "Titre"},
                      RowCase{"NoStoredKey", nullptr, {}, "", "??"},
                      RowCase{"EmptyStoredValue", "", {}, "", "??"},
                      RowCase{"EmptyValueReadsKeyMatchItself", "", {"Match=Sans numéro|y"}, "", "Sans numéro"},
                      RowCase{"LeaveAsIs", "0", {}, "0", "??"},
                      RowCase{"NoSuchField", "7", {}, "7", "??"},
                      RowCase{"NotANumber", "abc", {}, "abc", "??"},
                      RowCase{"ValueWithoutBar", "4", {"Match4=Durée"}, "4", "Durée"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EntriesCase {
    const char* name;
    QStringList script;
    QStringList entries;
};

class ChooserEntriesTest : public ColumnMappingTest, public ::testing::WithParamInterface<EntriesCase> {};

TEST_P(ChooserEntriesTest, EntriesFollowFieldNumbers)
{
    const QString script = writeScript("Site", GetParam().script);
    EXPECT_EQ(chooserEntries(script), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ChooserEntriesTest,
    ::testing::Values(
        EntriesCase{"MissingFieldIsBlank",
                    {"[FilmPage]", "Count=3", "Match1=Titre|a", "Match3=Résumé|c"},
                    {"(laisser tel quel)", "Titre", " ", "Résumé"}},
        EntriesCase{"OnlyCountFieldsListed",
                    {"[FilmPage]", "Count=1", "Match1=Titre|a", "Match2=Année|b"},
                    {"(laisser tel quel)", "Titre"}},
        EntriesCase{"NoCount", {"[FilmPage]", "Match1=Titre|a"}, {"(laisser tel quel)"}},
        EntriesCase{"CountNotANumber", {"[FilmPage]", "Count=trois", "Match1=Titre|a"}, {"(laisser tel quel)"}},
        EntriesCase{"CountEmpty", {"[FilmPage]", "Count=", "Match1=Titre|a"}, {"(laisser tel quel)"}},
        EntriesCase{"CountNegative", {"[FilmPage]", "Count=-2", "Match1=Titre|a"}, {"(laisser tel quel)"}},
        EntriesCase{"CountRoundsHalfToEven",
                    {"[FilmPage]", "Count=2.5", "Match1=A|a", "Match2=B|b", "Match3=C|c"},
                    {"(laisser tel quel)", "A", "B"}},
        EntriesCase{"EmptyNameStaysEmpty", {"[FilmPage]", "Count=1", "Match1=|(\\d+)"}, {"(laisser tel quel)", ""}},
        EntriesCase{"NoScriptFile", {}, {"(laisser tel quel)"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A host whose column count does not fit the 16 bits the dialog counts with.
class WideHost : public HostApplication, public ListView {
public:
    ListView& MyLV() override { return *this; }
    std::int32_t ItemsCount() const override { return 0; }
    std::int32_t ColCount() const override { return 40000; }
    std::string tmpfolder() const override { return "/nonexistent"; }
    std::string CadrelleIni() const override { return {}; }
    void ilfautsauver(bool) override {}
    ListItemCollection& ListItems() override { throw Error("no entries"); }
    std::string ColumnHeaders(std::int16_t k) const override { return "C" + std::to_string(k); }
};

TEST(ColumnMappingHostLimits, ColumnCountBeyondSixteenBitsFails)
{
    WideHost wide;
    EXPECT_THROW(loadMappingRows(wide, "/nonexistent/Trouvel.ini", "Site", {}), config::ConversionError);
}

} // namespace
} // namespace trouvel::mapping::test
