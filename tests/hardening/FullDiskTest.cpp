// A write that runs out of room (a full disk, a file size limit) leaves every kind of file the
// project writes for the user as it was, says why in French, and leaves no temporary file.
// The room is bounded with the process's file size limit, at sizes below and above the
// buffers of Qt's file classes. A picture stored beside its source is a second name for it and
// needs no room.
#include "catalogue/CatalogueFile.h"
#include "common/WholeFile.h"
#include "config/IniFile.h"
#include "support/FileSizeLimit.h"
#include "wizard/PictureStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace trouvel::hardening {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

using trouvel::testsupport::FileSizeLimit;

cadrelle::Catalogue catalogueOf(qsizetype bytes)
{
    cadrelle::Catalogue catalogue;
    catalogue.addColumn(QStringLiteral("Titre"));
    catalogue.addColumn(QStringLiteral("Année"));
    for (int i = 0; cadrelle::formatCatalogue(catalogue).size() < bytes; ++i)
        catalogue.addEntry({QStringLiteral("Le Dernier Été %1").arg(i), QStringLiteral("2004")}, QStringLiteral("f%1.jpg").arg(i));
    return catalogue;
}

// Writes a new version of `name` inside folder, returning "" or the failure text. Copies
// take folder/source.bin, which the test writes beforehand, outside the limit.
using Writer = std::function<QString(const QString& folder, const QString& name, qsizetype bytes, char fill)>;

struct Kind {
    const char* label;
    bool copiesSource;
    Writer write;
    bool needsRoom = true; // false: a picture stored beside its source is a second name, no bytes
};

QString sourceFile(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("source.bin"));
}

void prepareSource(const Kind& kind, const QString& folder, qsizetype bytes, char fill)
{
    if (!kind.copiesSource)
        return;
    QFile file(sourceFile(folder));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(QByteArray(bytes, fill)), bytes);
}

const Kind kKinds[] = {
    {"catalogue", false,
     [](const QString& folder, const QString& name, qsizetype bytes, char) {
         return cadrelle::saveCatalogue(QDir(folder).filePath(name), catalogueOf(bytes));
     }},
    {"picture", true,
     [](const QString& folder, const QString& name, qsizetype, char) {
         return wizard::storePicture(sourceFile(folder), folder, name);
     },
     false},
    {"pictureSyncedLater", true,
     [](const QString& folder, const QString& name, qsizetype, char) {
         if (const QString failure = wizard::storePicture(sourceFile(folder), folder, name, Sync::Deferred); !failure.isEmpty())
             return failure;
         return syncFileSystem(folder);
     },
     false},
    {"mapping", false,
     [](const QString& folder, const QString& name, qsizetype bytes, char fill) {
         return config::writeIniValue(QDir(folder).filePath(name), QStringLiteral("Demo"), QStringLiteral("Col1"),
                                      QString(bytes, QChar::fromLatin1(fill)));
     }},
    {"copy", true,
     [](const QString& folder, const QString& name, qsizetype, char) {
         return copyWholeFile(sourceFile(folder), QDir(folder).filePath(name));
     }},
};

struct Size {
    const char* label;
    qsizetype bytes; // size of the new version
    rlim_t room;     // the file size limit while it is written
};

const Size kSizes[] = {
    {"SmallCutInside", 4542, 4096},     // the demo catalogue on a nearly full disk
    {"SmallOneByteShort", 4542, 4541},
    {"BufferCutInside", 20000, 16384},  // past Qt's 16 KiB file buffer
    {"LargeCutInside", 300000, 65536},
    {"NoRoomAtAll", 1000, 0},
};

class FullDisk : public testing::TestWithParam<std::tuple<Kind, Size>> {};

TEST_P(FullDisk, OldFileStaysWholeAndTheReasonIsGiven)
{
    const auto& [kind, size] = GetParam();
    QTemporaryDir dir;
    const QString name = QStringLiteral("Nord-Sud.jpg");
    prepareSource(kind, dir.path(), 3000, 'a');
    ASSERT_EQ(kind.write(dir.path(), name, 3000, 'a'), QString());
    const QByteArray before = readAll(dir.filePath(name));

    prepareSource(kind, dir.path(), size.bytes, 'b');
    QString failure;
    {
        FileSizeLimit limit(size.room);
        failure = kind.write(dir.path(), name, size.bytes, 'b');
    }
    if (kind.needsRoom) {
        EXPECT_TRUE(failure.contains(QStringLiteral("Fichier trop grand"))) << failure.toStdString();
        EXPECT_EQ(readAll(dir.filePath(name)), before);
    } else {
        EXPECT_EQ(failure, QString());
        EXPECT_EQ(readAll(dir.filePath(name)), QByteArray(size.bytes, 'b'));
    }
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral("source.bin"));
    EXPECT_EQ(left, QStringList{name}) << "temporary file left behind";
}

class JustEnoughRoom : public testing::TestWithParam<std::tuple<Kind, Size>> {};

TEST_P(JustEnoughRoom, NewFileWrittenWhole)
{
    const auto& [kind, size] = GetParam();
    QTemporaryDir dir;
    const QString name = QStringLiteral("Nord-Sud.jpg");
    prepareSource(kind, dir.path(), qsizetype(size.room), 'b');
    ASSERT_EQ(kind.write(dir.path(), name, qsizetype(size.room) / 2, 'b'), QString());
    const QByteArray expected = readAll(dir.filePath(name));
    QFile::remove(dir.filePath(name));
    QString failure;
    {
        FileSizeLimit limit(rlim_t(expected.size()));
        failure = kind.write(dir.path(), name, qsizetype(size.room) / 2, 'b');
    }
    EXPECT_EQ(failure, QString());
    EXPECT_EQ(readAll(dir.filePath(name)), expected);
}

std::string rowName(const testing::TestParamInfo<std::tuple<Kind, Size>>& info)
{
    return std::string(std::get<0>(info.param).label) + "_" + std::get<1>(info.param).label;
}

INSTANTIATE_TEST_SUITE_P(Files, FullDisk, testing::Combine(testing::ValuesIn(kKinds), testing::ValuesIn(kSizes)), rowName);
// The size limit is exactly the new file's size.
INSTANTIATE_TEST_SUITE_P(Files, JustEnoughRoom,
                         testing::Combine(testing::ValuesIn(kKinds), testing::Values(kSizes[0], kSizes[2], kSizes[3])), rowName);

TEST(FileErrorReason, FullDiskAndOtherCausesReadInFrench)
{
    EXPECT_EQ(fileErrorReason(ENOSPC), QStringLiteral("Plus de place sur le disque"));
    EXPECT_EQ(fileErrorReason(EROFS), QStringLiteral("Système de fichiers en lecture seule"));
    EXPECT_TRUE(fileErrorReason(EOWNERDEAD).startsWith(QStringLiteral("Erreur système n°")));
}

} // namespace
} // namespace trouvel::hardening
