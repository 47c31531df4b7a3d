// cadrelle's options that print and quit work without any display.
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct OptionCase {
    const char* name;
    const char* option;
    const char* printed;
};

class PrintsWithoutDisplay : public ::testing::TestWithParam<OptionCase> {};

TEST_P(PrintsWithoutDisplay, ExitsWithItsText)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess cadrelle;
    cadrelle.setProcessEnvironment(env);
    cadrelle.start(QStringLiteral(CADRELLE_BINARY), {QString::fromLatin1(GetParam().option)});
    ASSERT_TRUE(cadrelle.waitForFinished(30000));
    EXPECT_EQ(cadrelle.exitStatus(), QProcess::NormalExit) << cadrelle.readAllStandardError().constData();
    EXPECT_EQ(cadrelle.exitCode(), 0);
    EXPECT_TRUE(cadrelle.readAllStandardOutput().contains(GetParam().printed));
}

INSTANTIATE_TEST_SUITE_P(Options, PrintsWithoutDisplay,
                         ::testing::Values(OptionCase{"Help", "--help", "Affiche cette aide et quitte"},
                                           OptionCase{"ListPlugins", "--list-plugins", "Trouvel"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
