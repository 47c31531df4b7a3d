// The save step: mapped columns, the picture and its question, the move to the next entry.
#include "support/WizardFixture.h"

#include "config/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace trouvel::wizard::test {
namespace {

class Save : public WizardTest {
protected:
    // Loads a 3-field script on a 4-column host with the fields set by hand, no picture.
    void start(const QString& mapping, int entries = 3)
    {
        writeDemoScript();
        makeHost(entries, 4);
        writeMapping(QStringLiteral("Demo"), mapping);
        ASSERT_TRUE(engine().load());
        host->mustSaveCount = 0; // the mapping check at load may have set it
        WizardModel& m = engine().model();
        m.setFieldValue(0, QStringLiteral("Heat"));
        m.setFieldValue(1, QStringLiteral("1995"));
        m.setFieldValue(2, QString());
        for (FakeEntry& e : host->entries)
            e.columns = {"t", "a", "b", "c"};
        m.setCanSave(true); // as after a detail step
    }
    void putPicture()
    {
        engine().model().setCanSave(true); // each save moves on: the next entry's detail "ran"
        QFile file(engine().pictureFile());
        file.open(QIODevice::WriteOnly);
        file.write(pngBytes());
        engine().model().setPictureTicked(true);
    }
};

struct MappingCase {
    const char* name;
    const char* mapping;
    std::vector<std::string> expected;
    int untickedRow;
};

class SaveMapping : public Save, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(SaveMapping, WritesMappedTickedFields)
{
    start(QString::fromLatin1(GetParam().mapping));
    if (GetParam().untickedRow >= 0)
        engine().model().setFieldTicked(GetParam().untickedRow, false);
    engine().save();
    EXPECT_EQ(host->entry(1).columns, GetParam().expected);
    EXPECT_EQ(host->mustSaveCount, 1);
    EXPECT_EQ(state.CurrentItem, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SaveMapping,
    ::testing::Values(MappingCase{"Col1IsText", "Col1=2", {"1995", "a", "b", "c"}, -1},
                      MappingCase{"Col3IsSubItem2", "Col3=1", {"t", "a", "Heat", "c"}, -1},
                      MappingCase{"TwoColumnsOneField", "Col2=1\nCol4=1", {"t", "Heat", "b", "Heat"}, -1},
                      MappingCase{"ZeroEmptyTextMissing", "Col1=0\nCol2=\nCol3=abc", {"t", "a", "b", "c"}, -1},
                      MappingCase{"NoSuchField", "Col1=4\nCol2=-1", {"t", "a", "b", "c"}, -1},
                      MappingCase{"UntickedFieldKeepsColumn", "Col2=1", {"t", "a", "b", "c"}, 0},
                      MappingCase{"EmptyTickedFieldEmptiesColumn", "Col4=3", {"t", "a", "b", ""}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedColumnCase {
    const char* name;
    int failColumn;     // FakeEntry::failColumn
    bool failMustSave;
    std::vector<std::string> expected;
    const char* listed; // in the message and the save result
};

class SaveRefusedByTheHost : public Save, public ::testing::WithParamInterface<RefusedColumnCase> {};

// A host member that throws while a column is written: the other columns and the picture are
// still saved, the refused ones are listed in one message and in the result, and the wizard
// stays on the entry.
TEST_P(SaveRefusedByTheHost, ListsWhatWasNotWrittenAndStays)
{
    const RefusedColumnCase& c = GetParam();
    start(QStringLiteral("Col2=1\nCol3=2"));
    host->entry(1).failColumn = c.failColumn;
    host->failMustSave = c.failMustSave;
    engine().model().setTitle(QStringLiteral("Heat"));
    putPicture();
    engine().save();
    EXPECT_EQ(host->entry(1).columns, c.expected);
    EXPECT_EQ(host->entry(1).tag, "Heat.jpg");
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.first().contains(QString::fromUtf8(c.listed))) << ui.messages.first().toStdString();
    const SaveResult& result = *engine().lastSave();
    EXPECT_TRUE(result.incomplete());
    EXPECT_FALSE(result.movedOn);
    EXPECT_EQ(state.CurrentItem, 1);
    // What an unattended walk reports for it: the save's failure, not "filled".
    EntrySteps filled;
    filled.search.emplace();
    filled.search->end = StepEnd::Done;
    filled.search->page.emplace();
    filled.search->candidates = {Candidate{}};
    filled.search->page->report.status = 200;
    filled.detail.emplace();
    filled.detail->end = StepEnd::Done;
    filled.detail->page = filled.search->page;
    filled.detail->fieldsComplete = true;
    filled.detail->picture.emplace();
    ASSERT_EQ(outcomeOf(filled).kind, EntryOutcome::Kind::Filled);
    const EntryOutcome outcome = outcomeOf(filled, &result);
    EXPECT_EQ(outcome.kind, EntryOutcome::Kind::Failed);
    EXPECT_EQ(outcome.stage, kStageSave);
    EXPECT_TRUE(outcome.reason.startsWith(QStringLiteral("non enregistré : "))) << outcome.reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Values, SaveRefusedByTheHost,
    ::testing::Values(RefusedColumnCase{"OneColumn", 3, false, {"t", "Heat", "b", "c"}, "colonne 3 (« Col 3 ») : SubItems : valeur refusée"},
                      RefusedColumnCase{"ChangeNotNoted", 0, true, {"t", "Heat", "1995", "c"}, "ilfautsauver a échoué"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Save, PictureStoredUnderTheTitleAndReplaced)
{
    start(QStringLiteral("Col1=0"));
    engine().model().setTitle(QStringLiteral("Heat: AC/DC"));
    QFile old(hostFile(QStringLiteral("Heat- AC-DC.jpg")));
    old.open(QIODevice::WriteOnly);
    old.write("old");
    old.close();
    putPicture();
    engine().save();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(host->entry(1).tag, "Heat- AC-DC.jpg");
    QFile stored(hostFile(QStringLiteral("Heat- AC-DC.jpg")));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), pngBytes());
}

struct KeepFilledCase {
    const char* name;
    const char* mapping;
    bool keep;       // setKeepFilledColumns
    bool unattended; // setUnattended
    std::vector<std::string> before, expected;
    int kept;
};

class SaveKeepingFilled : public Save, public ::testing::WithParamInterface<KeepFilledCase> {};

TEST_P(SaveKeepingFilled, WritesOnlyBlankColumns)
{
    start(QString::fromLatin1(GetParam().mapping));
    engine().setKeepFilledColumns(GetParam().keep);
    engine().setUnattended(GetParam().unattended);
    host->entry(1).columns = GetParam().before;
    engine().save();
    EXPECT_EQ(host->entry(1).columns, GetParam().expected);
    EXPECT_EQ(engine().lastSave()->kept, GetParam().kept);
    EXPECT_EQ(state.CurrentItem, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SaveKeepingFilled,
    ::testing::Values(KeepFilledCase{"Off", "Col2=1\nCol3=2\nCol4=1", false, false, {"t", "note", " ", ""}, {"t", "Heat", "1995", "Heat"}, 0},
                      KeepFilledCase{"NoteKeptBlankFilled", "Col2=1\nCol3=2\nCol4=1", true, false, {"t", "note", " ", ""}, {"t", "note", "1995", "Heat"}, 1},
                      KeepFilledCase{"TextColumnKept", "Col1=1\nCol2=2", true, false, {"Le titre", "", "b", "c"}, {"Le titre", "1995", "b", "c"}, 1},
                      KeepFilledCase{"EmptyFieldLeavesNoteAlone", "Col4=3", true, false, {"t", "a", "b", "note"}, {"t", "a", "b", "note"}, 1},
                      // The person at the screen saw the empty field and chose Ajouter.
                      KeepFilledCase{"ByHandEmptyFieldErases", "Col2=1\nCol4=3", false, false, {"t", "a", "b", "note"}, {"t", "Heat", "b", ""}, 0},
                      KeepFilledCase{"UnattendedEmptyFieldNeverErases", "Col2=1\nCol4=3", false, true, {"t", "a", "b", "note"}, {"t", "Heat", "b", "note"}, 1},
                      KeepFilledCase{"UnattendedEmptyFieldFillsBlank", "Col4=3", false, true, {"t", "a", "b", " "}, {"t", "a", "b", ""}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Save, KeepingFilledColumnsKeepsTheEntrysPictureWithoutAsking)
{
    start(QStringLiteral("Col2=1"));
    engine().setKeepFilledColumns(true);
    host->entry(1).tag = "mienne.jpg";
    engine().model().setTitle(QStringLiteral("Heat"));
    putPicture();
    engine().save();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(engine().lastSave()->picture, SaveResult::Picture::Kept);
    EXPECT_EQ(host->entry(1).tag, "mienne.jpg");
    EXPECT_EQ(QDir(hostFolder).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".jpg")).size(), 0);
    EXPECT_EQ(state.CurrentItem, 2);

    // An entry without a picture still gets one.
    engine().model().setTitle(QStringLiteral("Heat"));
    putPicture();
    engine().save();
    EXPECT_EQ(engine().lastSave()->picture, SaveResult::Picture::Stored);
    EXPECT_EQ(host->entry(2).tag, "Heat.jpg");
    EXPECT_TRUE(QFileInfo::exists(hostFile(QStringLiteral("Heat.jpg"))));
}

TEST_F(Save, ColumnsChangedSinceTheyWereMappedStopTheSaveAndOpenTheMapping)
{
    // Mapped when column 2 was "Année"; it has been deleted since, and "Col 2" is another column.
    start(QStringLiteral("Col2=2\nCaption1=Col 1\nCaption2=Année\nCaption3=Col 2"));
    engine().save();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.first().contains(QStringLiteral("(la colonne « Année » a été supprimée)"))) << ui.messages.first().toStdString();
    EXPECT_EQ(mappingDialogs, 1);
    EXPECT_EQ(host->entry(1).columns, (std::vector<std::string>{"t", "a", "b", "c"}));
    EXPECT_EQ(state.CurrentItem, 1);

    // Once the captions match again (as the dialog writes them), the save goes through.
    for (int c = 1; c <= 4; ++c)
        ASSERT_TRUE(config::WriteIniString(hostFile(QStringLiteral("Trouvel.ini")), QStringLiteral("Demo"),
                                           QStringLiteral("Caption%1").arg(c), QStringLiteral("Col %1").arg(c)));
    engine().save();
    EXPECT_EQ(host->entry(1).columns[1], "1995");
    EXPECT_EQ(state.CurrentItem, 2);
}

TEST_F(Save, PictureNeverReplacesAnotherEntrysPicture)
{
    // "Nord/Sud" and "Nord:Sud" both give "Nord-Sud.jpg"; a remake has its original's title.
    start(QStringLiteral("Col1=0"), 4);
    host->entry(2).tag = "Nord-Sud (4).jpg";
    host->entry(3).tag = "Nord-Sud.jpg";
    host->entry(4).tag = "Nord-Sud (2).jpg";
    for (const char* other : {"Nord-Sud.jpg", "Nord-Sud (2).jpg"}) {
        QFile file(hostFile(QString::fromLatin1(other)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(other);
    }
    engine().model().setTitle(QStringLiteral("Nord/Sud"));
    putPicture();
    engine().save();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(host->entry(1).tag, "Nord-Sud (3).jpg");
    QFile stored(hostFile(QStringLiteral("Nord-Sud (3).jpg")));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), pngBytes());
    QFile first(hostFile(QStringLiteral("Nord-Sud.jpg")));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), "Nord-Sud.jpg");

    // The next entry passes over the name just given and may replace its own picture, after
    // the question.
    ui.answers.push_back(MsgAnswer::Yes);
    engine().model().setTitle(QStringLiteral("Nord:Sud"));
    putPicture();
    engine().save();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("voulez vous remplacer l'image ?")});
    EXPECT_EQ(host->entry(2).tag, "Nord-Sud (4).jpg");
    EXPECT_EQ(host->entry(1).tag, "Nord-Sud (3).jpg");
}

TEST_F(Save, ReplaceQuestionAndItsNo)
{
    start(QStringLiteral("Col2=1"));
    host->entry(1).tag = "ancienne.jpg";
    putPicture();
    ui.answers.push_back(MsgAnswer::No);
    engine().model().setTitle(QStringLiteral("Heat"));
    engine().save();
    ASSERT_EQ(ui.messages, QStringList{QStringLiteral("voulez vous remplacer l'image ?")});
    EXPECT_EQ(host->entry(1).tag, "ancienne.jpg");
    EXPECT_EQ(host->entry(1).columns[1], "Heat");
    EXPECT_FALSE(QFileInfo::exists(hostFile(QStringLiteral("Heat.jpg"))));
    EXPECT_EQ(host->mustSaveCount, 1);
    EXPECT_EQ(state.CurrentItem, 2);

    // With "Sauvegarde Auto" there is no question: the entry's own picture and filled cells
    // stay, unless "Remplacer les valeurs existantes" is ticked.
    absent << QStringLiteral("Film 3") << QStringLiteral("Film 4"); // the search that follows stops
    host->entry(2).tag = "ancienne.jpg";
    engine().model().setAutoSave(true);
    for (const bool replace : {false, true}) {
        engine().setReplaceExisting(replace);
        state.CurrentItem = 2;
        engine().model().setTitle(QStringLiteral("Heat"));
        engine().model().setFieldValue(0, QStringLiteral("Heat"));
        engine().model().setFieldTicked(0, true); // the move to entry 3 emptied step 3
        putPicture();
        engine().save();
        EXPECT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(host->entry(2).tag, replace ? "Heat.jpg" : "ancienne.jpg") << replace;
        EXPECT_EQ(host->entry(2).columns[1], replace ? "Heat" : "a") << replace;
    }
}

TEST_F(Save, NoPictureFileMeansNoQuestionAndNoCopy)
{
    start(QString());
    host->entry(1).tag = "x.jpg";
    engine().model().setPictureTicked(true);
    QFile::remove(engine().pictureFile());
    engine().save();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(host->entry(1).tag, "x.jpg");
    EXPECT_EQ(host->mustSaveCount, 1); // set although nothing was written
}

struct BadNameCase {
    const char* name;
    const char* title;
};

class PictureNotStored : public Save, public ::testing::WithParamInterface<BadNameCase> {};

TEST_P(PictureNotStored, KeepsTheTagAndSaysSo)
{
    start(QString());
    host->entry(1).tag = "old.jpg";
    engine().model().setAutoSave(true); // no question; the search after it finds nothing
    absent << QStringLiteral("Film 2");
    putPicture();
    engine().model().setTitle(QString::fromUtf8(GetParam().title));
    engine().save();
    EXPECT_EQ(host->entry(1).tag, "old.jpg");
    EXPECT_EQ(QDir(hostFolder).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".jpg")).size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Values, PictureNotStored,
                         ::testing::Values(BadNameCase{"EmptyTitle", "  "}, BadNameCase{"Dot", "."},
                                           BadNameCase{"DotDot", ".."},
                                           BadNameCase{"TooLong", "ééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééé"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Save, CopyFailureIsReportedInTheStatusBar)
{
    start(QString());
    putPicture();
    host->folder = (hostFolder + QStringLiteral("/missing")).toStdString();
    engine().model().setTitle(QStringLiteral("Heat"));
    engine().save();
    EXPECT_TRUE(engine().model().status().contains(QStringLiteral("Heat.jpg"))) << engine().model().status().toStdString();
    EXPECT_EQ(host->entry(1).tag, "");
}

TEST_F(Save, EntryThatDoesNotExistIsNotWritten)
{
    start(QStringLiteral("Col1=1"));
    state.CurrentItem = 9;
    engine().save();
    EXPECT_FALSE(engine().model().status().isEmpty());
    EXPECT_EQ(host->mustSaveCount, 0);
    EXPECT_EQ(state.CurrentItem, 9);
}

TEST_F(Save, SavingTheLastEntryStaysOnItWithoutSearching)
{
    start(QStringLiteral("Col2=1"), 2);
    state.CurrentItem = 2;
    engine().model().setAutoSave(true);
    engine().setReplaceExisting(true);
    engine().save();
    EXPECT_EQ(host->entry(2).columns[1], "Heat");
    EXPECT_FALSE(engine().isClosed());
    EXPECT_EQ(state.CurrentItem, 2);
    EXPECT_EQ(engine().model().status(), QStringLiteral("Dernière entrée enregistrée"));
    EXPECT_TRUE(site.requestLines.isEmpty());
}

} // namespace
} // namespace trouvel::wizard::test
