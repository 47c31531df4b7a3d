// No lost data: a writer process killed at random points while it rewrites Trouvel.ini, a
// catalogue or a stored picture leaves each file either whole in its old version or whole in
// its new one, never a mix or a truncated file.
#include "KilledWriterContents.h"

#include "catalogue/CatalogueFile.h"
#include "common/WholeFile.h"
#include "config/IniFile.h"
#include "wizard/PictureStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>
#include <unistd.h>

namespace trouvel::hardening {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray distinctBytes(int version)
{
    QByteArray bytes(1 << 20, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + version * 131) & 0xff);
    return bytes;
}

struct WriterCase {
    const char* name;
    const char* mode;
    const char* fileName;
};

class KilledWriter : public ::testing::TestWithParam<WriterCase> {
protected:
    // The file as the writer's own code leaves it after writing that version, made here in a
    // separate folder with the same functions.
    QByteArray reference(int version)
    {
        const QString path = refDir.filePath(QString::fromLatin1(GetParam().fileName));
        QFile::remove(path);
        const QString mode = QString::fromLatin1(GetParam().mode);
        if (mode == QLatin1String("ini")) {
            EXPECT_TRUE(config::WriteIniString(path, QStringLiteral("S"), QStringLiteral("k"), iniValue(version)));
        } else if (mode == QLatin1String("catalogue")) {
            EXPECT_EQ(cadrelle::saveCatalogue(path, catalogueVersion(version)), QString());
        } else {
            EXPECT_EQ(wizard::storePicture(sources[version], refDir.path(), GetParam().fileName), QString());
        }
        return readAll(path);
    }

    QTemporaryDir dir, refDir;
    QString sources[2];
};

TEST_P(KilledWriter, FileIsAlwaysTheOldOrTheNewVersion)
{
    for (int version : {0, 1}) {
        sources[version] = dir.filePath(QStringLiteral("source%1.jpg").arg(version));
        QFile source(sources[version]);
        ASSERT_TRUE(source.open(QIODevice::WriteOnly));
        source.write(distinctBytes(version));
    }
    const QByteArray versions[2] = {reference(0), reference(1)};
    ASSERT_NE(versions[0], versions[1]);
    ASSERT_GT(versions[0].size(), 100000);

    const QString target = dir.filePath(QStringLiteral("data/") + QString::fromLatin1(GetParam().fileName));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("data"))));
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 30000);

    constexpr int kRounds = 25;
    for (int round = 0; round < kRounds; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(HARDENING_WRITER),
                     {QString::fromLatin1(GetParam().mode), target, sources[0], sources[1]});
        ASSERT_TRUE(writer.waitForStarted());
        ASSERT_TRUE(writer.waitForReadyRead(30000)) << writer.readAllStandardError().toStdString();
        ASSERT_EQ(writer.readLine(), QByteArray("ready\n"));
        // The kill point: somewhere inside the writer's loop of rewrites.
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_EQ(::kill(pid_t(writer.processId()), SIGKILL), 0);
        ASSERT_TRUE(writer.waitForFinished(30000));
        EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit) << "the writer stopped by itself: "
                                                            << writer.readAllStandardError().toStdString();

        const QByteArray left = readAll(target);
        ASSERT_TRUE(left == versions[0] || left == versions[1])
            << "round " << round << ": " << left.size() << " bytes, neither version";
    }

    // What the killed writers left beside the file goes with a later run's clean-up, and only
    // that: the user's own files and a running writer's temporary file stay.
    const QDir data(dir.filePath(QStringLiteral("data")));
    const QString name = QString::fromLatin1(GetParam().fileName);
    const QString running = QStringLiteral(".%1.trouvel-%2-abc").arg(name).arg(::getpid());
    for (const QString& kept : {name + QStringLiteral(".bak"), QStringLiteral(".%1.trouvel-notapid").arg(name), running}) {
        QFile file(data.filePath(kept));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    removeStaleTempFiles(data.path());
    QStringList expected{name, name + QStringLiteral(".bak"), QStringLiteral(".%1.trouvel-notapid").arg(name), running};
    expected.sort();
    QStringList left = data.entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, expected);
}

INSTANTIATE_TEST_SUITE_P(Files, KilledWriter,
                         ::testing::Values(WriterCase{"TrouvelIni", "ini", "Trouvel.ini"},
                                           WriterCase{"Catalogue", "catalogue", "films.csv"},
                                           WriterCase{"StoredPicture", "picture", "Heat.jpg"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::hardening
