// The mapping model: rows read from Trouvel.ini and the script, the chooser's entries, the
// chooser's answer and the write-back.
#include "mapping/ColumnMapping.h"

#include "config/Convert.h"
#include "mapping/MappingFixture.h"

#include <QFile>

namespace trouvel::mapping::test {
namespace {

const QString kTitre = "Match3=Titre|<h1>(.*)</h1>";

class ColumnMappingTest : public MappingFixture {};

TEST_F(ColumnMappingTest, NoHostColumnGivesNoRowAndWritesNothing)
{
    const QString script = writeScript("Site", {"[FilmPage]", "Count=3", kTitre});
    const auto rows = loadMappingRows(*host, iniFile(), "Site", script);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(writeMappingRows(iniFile(), "Site", rows));
    EXPECT_FALSE(QFile::exists(iniFile()));
}

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

TEST_F(ColumnMappingTest, SectionIsTheScriptNameSoEachScriptHasItsOwnMapping)
{
    addColumns({"Titre", "Genre"});
    const QString script = writeScript("A", {"[FilmPage]", "Count=3", kTitre});
    store("A", "Col1", "3");
    store("B", "Col1", "1");

    EXPECT_EQ(loadMappingRows(*host, iniFile(), "A", script)[0].nb, "3");
    EXPECT_EQ(loadMappingRows(*host, iniFile(), "B", script)[0].nb, "1");
}

TEST_F(ColumnMappingTest, WriteBackStoresEveryRowEmptyValuesAsEmptyKeys)
{
    store("Site", "Col2", "3");
    store("Autre", "Col1", "2");
    const std::vector<MappingRow> rows{{"Titre", "", "??"}, {"Genre", "", "??"}, {"Année", "1", "Nom"}};

    ASSERT_TRUE(writeMappingRows(iniFile(), "Site", rows));

    EXPECT_EQ(stored("Site", "Col1"), "");
    EXPECT_EQ(stored("Site", "Col2"), "");
    EXPECT_EQ(stored("Site", "Col3"), "1");
    EXPECT_EQ(stored("Site", "Col4"), "<missing>");
    EXPECT_EQ(stored("Autre", "Col1"), "2");
}

TEST_F(ColumnMappingTest, WriteBackIntoMissingFolderReportsFailure)
{
    const QString file = dir.filePath("absent/Trouvel.ini");
    EXPECT_FALSE(writeMappingRows(file, "Site", {{"Titre", "1", "Nom"}}));
    EXPECT_FALSE(QFile::exists(file));
}

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

struct AnswerCase {
    const char* name;
    const char* tag;
    std::optional<MappingChoice> choice;
};

class ChooserAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ChooserAnswerTest, TagGivesRowChange)
{
    EXPECT_EQ(parseChooserAnswer(GetParam().tag), GetParam().choice);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ChooserAnswerTest,
    ::testing::Values(AnswerCase{"NoChange", "(#-_-#)", std::nullopt},
                      AnswerCase{"EmptyTag", "", std::nullopt},
                      AnswerCase{"Field", "3|Titre", MappingChoice{"3", "Titre"}},
                      AnswerCase{"LeaveAsIs", "0|(laisser tel quel)", MappingChoice{"0", "(laisser tel quel)"}},
                      AnswerCase{"BlankEntry", "2| ", MappingChoice{"2", " "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChooserAnswerRoundTrip, AnswerReadsBackAsTheChosenEntry)
{
    EXPECT_EQ(chooserAnswer(2, "Année"), "2|Année");
    EXPECT_EQ(parseChooserAnswer(chooserAnswer(0, "(laisser tel quel)")), (MappingChoice{"0", "(laisser tel quel)"}));
}

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

TEST_F(ColumnMappingTest, HostErrorIsPassedOn)
{
    // ColumnHeaders of a column the catalogue does not have throws.
    class ShortHost : public WideHost {
        std::int32_t ColCount() const override { return 2; }
        std::string ColumnHeaders(std::int16_t k) const override
        {
            if (k > 1)
                throw Error("Colonne inexistante");
            return "Titre";
        }
    } shortHost;
    EXPECT_THROW(loadMappingRows(shortHost, iniFile(), "Site", {}), Error);
}

} // namespace
} // namespace trouvel::mapping::test
