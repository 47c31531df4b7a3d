// A picture stored by a second name for the work file must look like a copy: a new file's
// mode, the replaced file's mode, nothing left behind, and no change when the work file is
// replaced afterwards. Where a link would differ from a copy, a copy is made.
#include "common/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace trouvel::hardening {
namespace {

void writeFile(const QString& path, const QByteArray& bytes, mode_t mode)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

class LinkOrCopy : public testing::Test {
protected:
    void SetUp() override
    {
        oldMask_ = ::umask(022);
        source_ = dir_.filePath(QStringLiteral("image.jpg"));
        target_ = dir_.filePath(QStringLiteral("Nord-Sud.jpg"));
        writeFile(source_, "poster", 0600); // as a downloaded work file is
    }
    void TearDown() override { ::umask(oldMask_); }
    QStringList files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name); }

    mode_t oldMask_ = 0;
    QTemporaryDir dir_;
    QString source_, target_;
};

TEST_F(LinkOrCopy, NewPictureIsTheWorkFileUnderANewFilesModeAndOutlivesItsReplacement)
{
    // A work file under the umask already, or private (made in one step, or renamed in).
    for (const mode_t workMode : {mode_t(0644), mode_t(0600)}) {
        for (const Sync sync : {Sync::Now, Sync::Deferred}) {
            QFile::remove(target_);
            ASSERT_EQ(::chmod(QFile::encodeName(source_).constData(), workMode), 0);
            ASSERT_EQ(linkOrCopyWholeFile(source_, target_, sync), QString());
            EXPECT_EQ(statOf(target_).st_ino, statOf(source_).st_ino) << "no second name: the bytes were copied";
            EXPECT_EQ(statOf(target_).st_mode & 07777, mode_t(0644));
            EXPECT_EQ(files(), (QStringList{QStringLiteral("Nord-Sud.jpg"), QStringLiteral("image.jpg")}));
        }
    }
    // The next download replaces the work file whole: the stored picture stays as it was.
    const QString next = dir_.filePath(QStringLiteral("next.part"));
    writeFile(next, "another poster", 0600);
    ASSERT_EQ(::rename(QFile::encodeName(next).constData(), QFile::encodeName(source_).constData()), 0);
    EXPECT_EQ(readAll(target_), QByteArray("poster"));
}

TEST_F(LinkOrCopy, ReplacedPictureKeepsItsModeAndStoringAgainLeavesNothingBehind)
{
    writeFile(target_, "old poster", 0640);
    ASSERT_EQ(linkOrCopyWholeFile(source_, target_), QString());
    EXPECT_EQ(readAll(target_), QByteArray("poster"));
    EXPECT_EQ(statOf(target_).st_mode & 07777, mode_t(0640));
    // Saved again with no new download: already the same file.
    ASSERT_EQ(linkOrCopyWholeFile(source_, target_), QString());
    EXPECT_EQ(files(), (QStringList{QStringLiteral("Nord-Sud.jpg"), QStringLiteral("image.jpg")}));
}

TEST_F(LinkOrCopy, ThroughASymbolicLinkTheFileItNamesIsReplaced)
{
    const QString real = dir_.filePath(QStringLiteral("real.jpg"));
    writeFile(real, "old poster", 0644);
    ASSERT_TRUE(QFile::link(real, target_));
    ASSERT_EQ(linkOrCopyWholeFile(source_, target_), QString());
    EXPECT_TRUE(S_ISLNK(statOf(target_).st_mode));
    EXPECT_EQ(readAll(real), QByteArray("poster"));
}

TEST_F(LinkOrCopy, FolderGivingAnotherGroupGetsACopyInThatGroup)
{
    const QString folder = dir_.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const gid_t other = ::getegid() == 0 ? 1 : 0;
    if (::chown(QFile::encodeName(folder).constData(), ::geteuid(), other) != 0)
        GTEST_SKIP() << "cannot give the folder another group here";
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 02775), 0);
    const QString stored = QDir(folder).filePath(QStringLiteral("Nord-Sud.jpg"));
    ASSERT_EQ(linkOrCopyWholeFile(source_, stored), QString());
    EXPECT_NE(statOf(stored).st_ino, statOf(source_).st_ino);
    EXPECT_EQ(statOf(stored).st_gid, other);
    EXPECT_EQ(readAll(stored), QByteArray("poster"));
}

} // namespace
} // namespace trouvel::hardening
