// The pieces of a resumable batch run that need no site: the journal's round trip and the
// reasons it refuses to resume, the answers --ask understands, the clean-up of private
// folders left by killed runs, and of pictures a failed checkpoint would leave unnamed.
#include "AskCandidate.h"
#include "BatchCheckpoints.h"
#include "BatchJournal.h"
#include "StaleFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace trouvel::cli;

namespace {

BatchJournal sampleJournal()
{
    BatchJournal j{QStringLiteral("/films/demo.csv"), QStringLiteral("/scripts/Demo.tvs"), QStringLiteral("ab12"), 3, {}};
    j.entries.push_back({0, QStringLiteral("Nord/Sud"), Outcome::Filled, 1, QStringLiteral("sans image")});
    j.entries.push_back({1, QString::fromUtf8("Le Dernier Été \"2\""), Outcome::Ambiguous, 2, {}});
    j.entries.push_back({2, QStringLiteral("X"), Outcome::PictureNotStored, 1, QStringLiteral("disque plein")});
    j.entries.push_back({3, QStringLiteral("Y"), Outcome::OtherFilm, 1, QString::fromUtf8("titre différent : « Y 2 »")});
    return j;
}

TEST(BatchJournal, RoundTripsAndRefusesWhatItDidNotWrite)
{
    QString error;
    const std::optional<BatchJournal> back = parseJournal(formatJournal(sampleJournal()), &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->catalogue, QStringLiteral("/films/demo.csv"));
    EXPECT_EQ(back->nextRow, 3);
    ASSERT_EQ(back->entries.size(), 4u);
    EXPECT_EQ(back->entries[1].title, QString::fromUtf8("Le Dernier Été \"2\""));
    EXPECT_EQ(back->entries[1].outcome, Outcome::Ambiguous);
    EXPECT_EQ(back->entries[1].candidates, 2);
    EXPECT_EQ(back->entries[2].outcome, Outcome::PictureNotStored);
    EXPECT_EQ(back->entries[2].detail, QStringLiteral("disque plein"));
    EXPECT_EQ(back->entries[3].outcome, Outcome::OtherFilm);

    // A run stopped before its first entry, beside a catalogue with quotes in its path.
    BatchJournal none = sampleJournal();
    none.entries.clear();
    none.catalogue = QString::fromUtf8("/films/l'été \"2\"\\demo.csv");
    const std::optional<BatchJournal> empty = parseJournal(formatJournal(none), &error);
    ASSERT_TRUE(empty) << error.toStdString();
    EXPECT_TRUE(empty->entries.empty());
    EXPECT_EQ(empty->catalogue, none.catalogue);

    for (const QByteArray& bad : {QByteArray(), QByteArray("{\"nextRow\": 2}"), QByteArray("{\"trouvelBatchJournal\": 1, \"catalogue\""),
                                 formatJournal(sampleJournal()).replace("\"filled\"", "\"rempli\"")}) {
        error.clear();
        EXPECT_FALSE(parseJournal(bad, &error)) << bad.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

struct MismatchCase {
    const char* name;
    QString catalogue;
    QString script;
    QString digest;
    int entryCount;
    const char* expected; // a word of the reason, or "" when it may resume
};

class JournalMismatch : public ::testing::TestWithParam<MismatchCase> {};

TEST_P(JournalMismatch, SaysWhyItCannotResume)
{
    const MismatchCase& c = GetParam();
    const QString reason = journalMismatch(sampleJournal(), c.catalogue, c.script, c.digest, c.entryCount);
    if (*c.expected == 0)
        EXPECT_EQ(reason, QString());
    else
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.expected))) << reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Runs, JournalMismatch,
    ::testing::Values(MismatchCase{"Same", "/films/demo.csv", "/scripts/Demo.tvs", "ab12", 25, ""},
                      MismatchCase{"AllHandled", "/films/demo.csv", "/scripts/Demo.tvs", "ab12", 3, ""},
                      MismatchCase{"OtherCatalogue", "/films/autre.csv", "/scripts/Demo.tvs", "ab12", 25, "autre catalogue"},
                      MismatchCase{"OtherScript", "/films/demo.csv", "/scripts/Autre.tvs", "ab12", 25, "autre script"},
                      MismatchCase{"ScriptEdited", "/films/demo.csv", "/scripts/Demo.tvs", "cd34", 25, "a changé"},
                      MismatchCase{"CatalogueShrank", "/films/demo.csv", "/scripts/Demo.tvs", "ab12", 2, "moins d'entrées"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AskLine, NumbersInRangeEnterAndQ)
{
    EXPECT_EQ(parseAskLine(QStringLiteral(" 2 "), 3)->choice, 2);
    EXPECT_FALSE(parseAskLine(QStringLiteral(" 2 "), 3)->stop);
    EXPECT_EQ(parseAskLine(QString(), 3)->choice, 0);
    EXPECT_FALSE(parseAskLine(QString(), 3)->stop);
    EXPECT_TRUE(parseAskLine(QStringLiteral("Q"), 3)->stop);
    for (const char* meaningless : {"0", "4", "-1", "deux", "2x"})
        EXPECT_FALSE(parseAskLine(QString::fromLatin1(meaningless), 3)) << meaningless;
}

TEST(StaleFolders, OnlyThoseOfDeadProcessesGo)
{
    QTemporaryDir root;
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child); // reaped: its pid names no process now
    const QDir dir(root.path());
    const QString dead = QStringLiteral("trouvel-%1-aB3dE9").arg(child);
    const QString alive = QStringLiteral("trouvel-%1-aB3dE9").arg(::getpid());
    for (const QString& name : {dead, alive, QStringLiteral("trouvel-aB3dE9"), QStringLiteral("trouvel-1-x")})
        ASSERT_TRUE(dir.mkpath(name + QStringLiteral("/work")));
    ASSERT_TRUE(QFile::link(dir.filePath(alive), dir.filePath(QStringLiteral("trouvel-%1-zZ9zZ9").arg(child))));

    EXPECT_EQ(removeStalePrivateFolders(root.path()), 1);
    EXPECT_FALSE(dir.exists(dead));
    EXPECT_TRUE(dir.exists(alive + QStringLiteral("/work"))) << "a link under a dead name is not followed";
    EXPECT_TRUE(dir.exists(QStringLiteral("trouvel-aB3dE9")));
    EXPECT_TRUE(dir.exists(QStringLiteral("trouvel-1-x")));
    EXPECT_TRUE(privateFolderTemplate(root.path()).endsWith(QStringLiteral("/trouvel-%1-XXXXXX").arg(::getpid())));
}

} // namespace

// A catalogue that cannot be written takes the pictures stored for it since the last write
// along: none is left that the catalogue on disk does not name. Pictures that were there
// before stay.
TEST(BatchCheckpoints, FailedWriteRemovesTheNewPicturesItWouldHaveNamed)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    cadrelle::Catalogue catalogue;
    catalogue.addColumn(QStringLiteral("Titre"));
    catalogue.addEntry({QStringLiteral("Heat")}, QStringLiteral("Heat.jpg"));
    for (const char* name : {"Heat.jpg", "Ancienne.jpg"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    CheckpointFiles files;
    files.catalogue = folder.filePath(QStringLiteral("absent/demo.csv")); // its folder is missing
    files.workFolder = dir.path();
    files.journal = files.catalogue + QStringLiteral(".trouvel-journal");
    BatchCheckpoints checkpoints(catalogue, files, false);
    catalogue.setCell(0, 0, QStringLiteral("Heat (1995)"));
    checkpoints.entrySaved(QStringLiteral("Heat.jpg"));
    BatchSummary summary;
    EXPECT_FALSE(checkpoints.writeCatalogue(summary));
    EXPECT_FALSE(checkpoints.error().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("Heat.jpg"))));
    EXPECT_TRUE(QFileInfo::exists(folder.filePath(QStringLiteral("Ancienne.jpg"))));
    EXPECT_FALSE(summary.written);
}
