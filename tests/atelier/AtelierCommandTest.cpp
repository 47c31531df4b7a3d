// `trouvel atelier` runs the workbench program in its place: the program's messages and exit
// status are the command's; without a display it says so instead of failing in Qt.
#include "AtelierCommand.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace trouvel::cli {
namespace {

struct CommandRun {
    int exitCode = -1;
    QString err;
};

CommandRun trouvel(const QStringList& args, bool display)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TROUVEL_BINARY_DIR "/bin/trouvel"), args);
    if (!process.waitForFinished(30000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardError())};
}

TEST(AtelierCommand, TheProgramSitsWhereTheToolLooks)
{
    EXPECT_TRUE(QFileInfo(atelierProgram(QStringLiteral(TROUVEL_BINARY_DIR "/bin"))).isExecutable())
        << atelierProgram(QStringLiteral(TROUVEL_BINARY_DIR "/bin")).toStdString();
}

struct CommandCase {
    const char* name;
    QStringList args;
    bool display;
    QString message;
};
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class CommandRows : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandRows, TheWorkbenchAnswersForTheCommand)
{
    const CommandCase& c = GetParam();
    const CommandRun run = trouvel(c.args, c.display);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandRows,
    ::testing::Values(
        CommandCase{"no_script", {QStringLiteral("atelier")}, true, QStringLiteral("trouvel atelier : SCRIPT attendu")},
        CommandCase{"script_missing", {QStringLiteral("atelier"), QStringLiteral("/nulle/part.tvs")}, true,
                    QStringLiteral("trouvel atelier : script illisible : /nulle/part.tvs")},
        CommandCase{"too_many_words", {QStringLiteral("atelier"), QStringLiteral("a.tvs"), QStringLiteral("b"), QStringLiteral("c")}, true,
                    QStringLiteral("SCRIPT attendu, suivi au plus d'un TITRE")},
        CommandCase{"no_display", {QStringLiteral("atelier"), QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs")}, false,
                    QStringLiteral("trouvel atelier : aucun affichage")}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::cli
