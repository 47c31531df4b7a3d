// trouvel demo: the copy of the demo catalogue, and the commands it prints.
#include "DemoCommand.h"
#include "ShellWord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::cli;

namespace {

const QString kDemo = QStringLiteral(TROUVEL_SOURCE_DIR "/demo/catalogue");

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ShellWord, QuotedOnlyWhenTheShellWouldReadItOtherwise)
{
    struct Row {
        const char* name;
        QString text, word;
    };
    for (const Row& row : {Row{"plain_path", QStringLiteral("/home/léa/films-démo/demo.csv"), QStringLiteral("/home/léa/films-démo/demo.csv")},
                           Row{"space", QStringLiteral("/home/a b/demo.csv"), QStringLiteral("'/home/a b/demo.csv'")},
                           Row{"single_quote", QStringLiteral("/l'été"), QStringLiteral("'/l'\\''été'")},
                           Row{"dollar", QStringLiteral("/a$b"), QStringLiteral("'/a$b'")},
                           Row{"leading_tilde", QStringLiteral("~x"), QStringLiteral("'~x'")},
                           Row{"empty", QString(), QStringLiteral("''")}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(shellWord(row.text), row.word);
    }
}

TEST(CopyDemoCatalogue, CopiesTheCatalogueAndItsMappingIntoANewFolder)
{
    QTemporaryDir dir;
    const QString to = dir.filePath(QStringLiteral("a/b"));
    EXPECT_EQ(copyDemoCatalogue(kDemo, to), QString());
    for (const char* name : {"demo.csv", "Trouvel.ini"})
        EXPECT_EQ(bytesOf(QDir(to).filePath(QLatin1String(name))), bytesOf(QDir(kDemo).filePath(QLatin1String(name)))) << name;
}

TEST(CopyDemoCatalogue, ReplacesNothingAndSaysWhy)
{
    struct Row {
        const char* name;
        const char* existing; // already in the target folder
        QString from;
        QString reasonStart;
    };
    for (const Row& row : {Row{"catalogue_there", "demo.csv", kDemo, QStringLiteral("%1/demo.csv existe déjà")},
                           Row{"mapping_there", "Trouvel.ini", kDemo, QStringLiteral("%1/Trouvel.ini existe déjà")},
                           Row{"no_demo_installed", nullptr, QStringLiteral("/nonexistent"),
                               QStringLiteral("catalogue de démonstration introuvable : /nonexistent/demo.csv")}}) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        if (row.existing != nullptr) {
            QFile mine(dir.filePath(QLatin1String(row.existing)));
            ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
            mine.write("mine");
        }
        const QString reasonStart = row.reasonStart.contains(QStringLiteral("%1")) ? row.reasonStart.arg(dir.path()) : row.reasonStart;
        EXPECT_TRUE(copyDemoCatalogue(row.from, dir.path()).startsWith(reasonStart)) << copyDemoCatalogue(row.from, dir.path()).toStdString();
        if (row.existing != nullptr) {
            EXPECT_EQ(bytesOf(dir.filePath(QLatin1String(row.existing))), QByteArray("mine"));
        }
        // Nothing half copied: neither file was written.
        const QStringList written = QDir(dir.path()).entryList(QDir::Files);
        EXPECT_EQ(written, row.existing != nullptr ? QStringList{QLatin1String(row.existing)} : QStringList{});
    }
}

// The two commands name the programs beside trouvel bare when the PATH finds those, else by
// their paths (a build tree); the catalogue's path stays one word.
TEST(DemoInstructions, TheSiteThenCadrelleOnTheCopy)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const QByteArray oldPath = qgetenv("PATH");
    struct Row {
        const char* name;
        bool programsBeside;
        bool binOnPath;
        QString site, cadrelle;
    };
    for (const Row& row : {Row{"none_beside", false, false, QStringLiteral("trouvel-demo-site"), QStringLiteral("cadrelle")},
                           Row{"beside_not_on_path", true, false, bin + QStringLiteral("/trouvel-demo-site"), bin + QStringLiteral("/cadrelle")},
                           Row{"beside_and_on_path", true, true, QStringLiteral("trouvel-demo-site"), QStringLiteral("cadrelle")}}) {
        SCOPED_TRACE(row.name);
        for (const char* program : {"trouvel-demo-site", "cadrelle"}) {
            QFile file(QDir(bin).filePath(QLatin1String(program)));
            if (row.programsBeside) {
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.close();
                file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            } else {
                file.remove();
            }
        }
        qputenv("PATH", row.binOnPath ? QFile::encodeName(bin) + ":/usr/bin:/bin" : QByteArray("/nonexistent"));
        const QString text = demoInstructions(QStringLiteral("/home/a b/demo.csv"), bin);
        EXPECT_TRUE(text.endsWith(QStringLiteral(":\n    %1 &\n    %2 '/home/a b/demo.csv'\n").arg(row.site, row.cadrelle))) << text.toStdString();
    }
    qputenv("PATH", oldPath);
}

} // namespace
