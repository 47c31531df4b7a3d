// Start-up, moving between host entries and shut-down.
#include "support/WizardFixture.h"

#include <QDir>
#include <QFile>

namespace trouvel::wizard::test {
namespace {

using Startup = WizardTest;

TEST_F(Startup, LastOfSeveralSelectedEntriesIsCurrent)
{
    writeDemoScript();
    makeHost(10);
    for (int i : {2, 5, 7})
        host->entry(i).selected = true;
    ASSERT_TRUE(engine().load());
    EXPECT_EQ(state.CurrentItem, 7);
    EXPECT_EQ(engine().model().title(), QStringLiteral("Film 7"));
    EXPECT_EQ(engine().model().status(), QStringLiteral("Trouvel (sur le net) by Ruvarir"));
}

TEST_F(Startup, NoSelectionStartsOnEntryOneAndAnEmptyListDoesNotOpen)
{
    writeDemoScript();
    ASSERT_TRUE(engine().load());
    EXPECT_EQ(state.CurrentItem, 1);
    EXPECT_EQ(engine().model().title(), QStringLiteral("Film 1"));

    makeHost(0);
    engine_.reset();
    ui.messages.clear();
    EXPECT_FALSE(engine().load());
    EXPECT_EQ(ui.messages.size(), 1);
}

// Mappings are per catalogue folder, so the script used last and the walk's "Remplacer les
// valeurs existantes" are remembered per folder too.
TEST_F(Startup, ScriptAndReplaceOptionAreRememberedPerCatalogueFolder)
{
    writeDemoScript(QStringLiteral("Alpha"));
    writeDemoScript(QStringLiteral("Beta"));
    const QString first = hostFolder;
    const auto open = [&](const QString& folder) {
        engine_.reset();
        hostFolder = folder;
        QDir().mkpath(folder);
        makeHost(3);
        EXPECT_TRUE(engine().load());
    };
    open(first);
    engine().selectScript(1);
    engine().setReplaceExisting(true);
    engine().unload();

    open(first + QStringLiteral("-autre"));
    EXPECT_FALSE(engine().model().replaceExisting());
    engine().selectScript(0);
    engine().unload();

    open(first);
    EXPECT_EQ(engine().model().scriptText(), QStringLiteral("Beta"));
    EXPECT_TRUE(engine().model().replaceExisting());
}

struct NbIndexCase {
    const char* name;
    const char* stored;
    int expected;
};

class StoredScriptPosition : public WizardTest, public ::testing::WithParamInterface<NbIndexCase> {};

TEST_P(StoredScriptPosition, SelectsAndWritesBack)
{
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        writeDemoScript(QString::fromLatin1(name));
    settings.values.insert(QStringLiteral("Options/NBIndex"), QString::fromLatin1(GetParam().stored));
    ASSERT_TRUE(engine().load());
    EXPECT_EQ(engine().model().scriptIndex(), GetParam().expected);
    EXPECT_TRUE(state.ScriptPath.endsWith(engine().model().scriptText() + QStringLiteral(".tvs")));
    EXPECT_TRUE(ui.messages.isEmpty());
    engine().selectScript(1);
    engine().quit();
    EXPECT_EQ(settings.values.value(QStringLiteral("Options/NBIndex")), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(Values, StoredScriptPosition,
                         ::testing::Values(NbIndexCase{"Third", "2", 2}, NbIndexCase{"NotANumber", "x", 0},
                                           NbIndexCase{"BeyondTheList", "9", 0}, NbIndexCase{"Negative", "-1", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct StoredNameCase {
    const char* name;
    const char* storedName;
    const char* storedIndex;
    const char* expected;
};

class StoredScriptName : public WizardTest, public ::testing::WithParamInterface<StoredNameCase> {};

// A script added to the user's folder moves the others down the list: the name finds the
// script used last again, the position only when the name is gone; quitting stores both.
TEST_P(StoredScriptName, SelectsTheNameBeforeThePositionAndWritesItBack)
{
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        writeDemoScript(QString::fromLatin1(name));
    settings.values.insert(QStringLiteral("Options/ScriptName"), QString::fromLatin1(GetParam().storedName));
    settings.values.insert(QStringLiteral("Options/NBIndex"), QString::fromLatin1(GetParam().storedIndex));
    ASSERT_TRUE(engine().load());
    EXPECT_EQ(engine().model().scriptText(), QString::fromLatin1(GetParam().expected));
    engine().quit();
    EXPECT_EQ(settings.values.value(QStringLiteral("Options/ScriptName")), QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Values, StoredScriptName,
                         ::testing::Values(StoredNameCase{"NameWins", "Gamma", "0", "Gamma"},
                                           StoredNameCase{"NameGoneUsesPosition", "Gone", "1", "Beta"},
                                           StoredNameCase{"NoNameUsesPosition", "", "2", "Gamma"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Startup, ScriptDeletedAfterListingKeepsThePreviousOne)
{
    const QString first = writeDemoScript(QStringLiteral("Alpha"));
    const QString second = writeDemoScript(QStringLiteral("Beta"));
    ASSERT_TRUE(engine().load());
    QFile::remove(second);
    engine().selectScript(1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages.first(), u'\'' + second + QStringLiteral("' n'existe pas"));
    EXPECT_EQ(state.ScriptPath, first);
}

TEST_F(Startup, EmptyScriptsFolderOpensTheMappingDialog)
{
    ASSERT_TRUE(engine().load());
    EXPECT_TRUE(engine().model().scripts().isEmpty());
    EXPECT_EQ(mappingDialogs, 1);
    EXPECT_EQ(host->mustSaveCount, 1);
}

struct MappingCheckCase {
    const char* name;
    int fieldCount;
    const char* mapping;
    bool opens;
};

class MappingCheck : public WizardTest, public ::testing::WithParamInterface<MappingCheckCase> {};

TEST_P(MappingCheck, OpensOnlyWithoutAMappingBelowTheFieldCount)
{
    QString script = QStringLiteral("[FilmPage]\nCount=%1\n").arg(GetParam().fieldCount);
    writeScript(QStringLiteral("S"), script);
    writeMapping(QStringLiteral("S"), QString::fromLatin1(GetParam().mapping));
    ASSERT_TRUE(engine().load());
    EXPECT_EQ(mappingDialogs, GetParam().opens ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Values, MappingCheck,
                         ::testing::Values(MappingCheckCase{"ThreeFieldsMapped", 3, "Col2=1", false},
                                           MappingCheckCase{"ThreeFieldsOnlyHighColumns", 3, "Col3=1\nCol4=2", true},
                                           MappingCheckCase{"SingleFieldAlwaysOpens", 1, "Col1=1", true},
                                           MappingCheckCase{"EmptyValues", 3, "Col1=\nCol2=", true}),
                         [](const auto& info) { return std::string(info.param.name); });

using Navigation = WizardTest;

TEST_F(Navigation, NextFromThreeOfTen)
{
    writeDemoScript();
    makeHost(10);
    host->entry(3).selected = true;
    ASSERT_TRUE(engine().load());
    engine().model().addCandidate({QStringLiteral("x"), QStringLiteral("kept"), {}});
    engine().model().setCandidatesShown(true);
    engine().model().setDetailShown(true);
    engine().next();
    EXPECT_EQ(state.CurrentItem, 4);
    EXPECT_FALSE(host->entry(3).selected);
    EXPECT_TRUE(host->entry(4).selected);
    EXPECT_EQ(engine().model().title(), QStringLiteral("Film 4"));
    EXPECT_FALSE(engine().model().candidatesShown());
    EXPECT_FALSE(engine().model().detailShown());
    EXPECT_EQ(engine().model().candidates().size(), 1u);
    engine().previous();
    EXPECT_EQ(state.CurrentItem, 3);
    EXPECT_FALSE(engine().isClosed());
}

// The ends of the list: their buttons are off, and nothing moves or closes beyond them.
TEST_F(Navigation, NothingBeyondTheEndsOfTheList)
{
    writeDemoScript();
    makeHost(3);
    host->entry(3).selected = true;
    ASSERT_TRUE(engine().load());
    EXPECT_TRUE(engine().model().canGoBack());
    EXPECT_FALSE(engine().model().canGoForward());
    engine().next();
    EXPECT_FALSE(engine().isClosed());
    EXPECT_EQ(state.CurrentItem, 3);
    EXPECT_EQ(engine().model().status(), QStringLiteral("Dernière entrée de la liste"));
    engine().previous();
    engine().previous();
    EXPECT_EQ(state.CurrentItem, 1);
    EXPECT_FALSE(engine().model().canGoBack());
    EXPECT_TRUE(engine().model().canGoForward());
    engine().previous();
    EXPECT_EQ(state.CurrentItem, 1);
    EXPECT_EQ(engine().model().status(), QStringLiteral("Première entrée de la liste"));
    EXPECT_EQ(closeRequests, 0);
}

TEST_F(Navigation, HostErrorIsShownAndTheWindowStays)
{
    writeDemoScript();
    ASSERT_TRUE(engine().load());
    host->entry(1).failSelected = true;
    engine().next();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages.first(), QStringLiteral("Selected a échoué"));
    EXPECT_FALSE(engine().isClosed());
    EXPECT_EQ(state.CurrentItem, 1);
}

TEST_F(Navigation, OptionsOpensTheMappingDialogAndItsErrorsAreShown)
{
    writeDemoScript();
    writeMapping(QStringLiteral("Demo"), QStringLiteral("Col1=1"));
    ASSERT_TRUE(engine().load());
    EXPECT_EQ(mappingDialogs, 0);
    engine().openMapping();
    EXPECT_EQ(mappingDialogs, 1);
    EXPECT_EQ(host->mustSaveCount, 1);
    mappingDialogChanges = false; // Annuler, or OK without a change: the catalogue is as it was
    engine().openMapping();
    EXPECT_EQ(host->mustSaveCount, 1);

    mappingDialogFails = true;
    engine().openMapping();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("ColumnHeaders a échoué")});
    EXPECT_FALSE(engine().isClosed());
    EXPECT_FALSE(engine().isBusy());
}

} // namespace
} // namespace trouvel::wizard::test
