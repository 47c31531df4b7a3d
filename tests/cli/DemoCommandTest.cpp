// trouvel demo: the copy of the demo catalogue, and the commands it prints.
#include "DemoCommand.h"
#include "ShellWord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::cli;

namespace {

TEST(ShellWord, QuotedOnlyWhenTheShellWouldReadItOtherwise)
{
    const std::pair<QString, QString> rows[] = {{QStringLiteral("/home/léa/films-démo/demo.csv"), QStringLiteral("/home/léa/films-démo/demo.csv")},
                                                {QStringLiteral("/home/a b"), QStringLiteral("'/home/a b'")},
                                                {QStringLiteral("/l'été"), QStringLiteral("'/l'\\''été'")},
                                                {QStringLiteral("/a$b"), QStringLiteral("'/a$b'")},
                                                {QStringLiteral("~x"), QStringLiteral("'~x'")},
                                                {QString(), QStringLiteral("''")}};
    for (const auto& [text, word] : rows)
        EXPECT_EQ(shellWord(text), word) << text.toStdString();
}

// The user's own catalogue or mapping is never replaced, and nothing is half copied.
TEST(CopyDemoCatalogue, ReplacesNothingAndSaysWhy)
{
    const QString demo = QStringLiteral(TROUVEL_SOURCE_DIR "/demo/catalogue");
    struct Row {
        const char* name;
        QString existing, from, reason; // "%1": the target folder
    };
    for (const Row& row : {Row{"catalogue_there", "demo.csv", demo, "%1/demo.csv existe déjà : choisissez un autre dossier"},
                           Row{"mapping_there", "Trouvel.ini", demo, "%1/Trouvel.ini existe déjà : choisissez un autre dossier"},
                           Row{"no_demo_installed", {}, "/nonexistent", "catalogue de démonstration introuvable : /nonexistent/demo.csv"}}) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        if (!row.existing.isEmpty()) {
            QFile mine(dir.filePath(row.existing));
            ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(copyDemoCatalogue(row.from, dir.path()), QString(row.reason).replace(QStringLiteral("%1"), dir.path()));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), row.existing.isEmpty() ? QStringList() : QStringList{row.existing});
    }
}

// The programs beside trouvel are named bare when the PATH finds those, else by their paths
// (a build tree); the catalogue's path stays one word.
TEST(DemoInstructions, TheSiteThenCadrelleOnTheCopy)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    for (const char* program : {"trouvel-demo-site", "cadrelle"}) {
        QFile file(QDir(bin).filePath(QLatin1String(program)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    const QByteArray oldPath = qgetenv("PATH");
    struct Row {
        const char* name;
        QString programFolder;
        QByteArray path;
        QString prefix; // before each program's name
    };
    for (const Row& row : {Row{"none_beside", dir.path(), "/nonexistent", {}}, Row{"beside_not_on_path", bin, "/nonexistent", bin + u'/'},
                           Row{"beside_and_on_path", bin, QFile::encodeName(bin), {}}}) {
        SCOPED_TRACE(row.name);
        qputenv("PATH", row.path);
        EXPECT_TRUE(demoInstructions(QStringLiteral("/home/a b/demo.csv"), row.programFolder)
                        .endsWith(QStringLiteral(":\n    %1trouvel-demo-site &\n    %1cadrelle '/home/a b/demo.csv'\n").arg(row.prefix)));
    }
    qputenv("PATH", oldPath);
}

} // namespace
