// Loading retrieval scripts: options, field rows made on demand and reused, failed loads.
#include "support/WizardFixture.h"

namespace trouvel::wizard::test {
namespace {

class ScriptLoading : public WizardTest {
protected:
    QString load(const QString& content, const QString& name = QStringLiteral("S"))
    {
        const QString path = writeScript(name, content);
        engine().loadScript(path);
        return path;
    }
    int visibleRows()
    {
        int n = 0;
        for (int k = 0; k < engine().model().fieldRowCount(); ++k)
            n += engine().model().fieldRow(k).visible ? 1 : 0;
        return n;
    }
    QString fields(int count)
    {
        QString text = QStringLiteral("[FilmPage]\nCount=%1\n").arg(count);
        for (int k = 1; k <= count; ++k)
            text += QStringLiteral("Match%1=F%1|(x)\n").arg(k);
        return text;
    }
};

TEST_F(ScriptLoading, ScriptWithoutKeysLoadsAsGetHttp10WithEveryRowHidden)
{
    const QString path = load(QString());
    EXPECT_EQ(state.ScriptPath, path);
    EXPECT_EQ(engine().usesGet(), kTrue);
    EXPECT_EQ(engine().httpVersion(), 0);
    EXPECT_EQ(visibleRows(), 0);
}

struct OptionCase {
    const char* name;
    const char* options;
    std::int16_t methodeGet;
    bool http11;
};

class ScriptOptions : public ScriptLoading, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(ScriptOptions, MethodeAndHttp)
{
    load(QString::fromUtf8(GetParam().options));
    EXPECT_EQ(engine().usesGet(), GetParam().methodeGet);
    EXPECT_EQ(engine().httpVersion() != 0, GetParam().http11);
}

INSTANTIATE_TEST_SUITE_P(Values, ScriptOptions,
                         ::testing::Values(OptionCase{"Methode0", "[Options]\nMethode=0\n", kTrue, false},
                                           OptionCase{"Methode1", "[Options]\nMethode=1\n", kFalse, false},
                                           OptionCase{"MethodePOST", "[Options]\nMethode=POST\n", kFalse, false},
                                           OptionCase{"MethodeEmpty", "[Options]\nMethode=\n", kFalse, false},
                                           OptionCase{"Http1", "[Options]\nHTTP=1\n", kTrue, true},
                                           OptionCase{"HttpMinus1", "[Options]\nHTTP=-1\n", kTrue, true},
                                           OptionCase{"Http0", "[Options]\nHTTP=0\n", kTrue, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptLoading, UserAgentGoesToTheSessionAndAnUnknownCharsetIsRefused)
{
    load(QStringLiteral("[Options]\nUserAgent=Robot/2 (+http://robot.example)\nCharset=windows-1252\n"));
    EXPECT_EQ(web->userAgent(), QByteArray("Robot/2 (+http://robot.example)"));
    load(QString(), QStringLiteral("Plain"));
    EXPECT_EQ(web->userAgent(), net::defaultUserAgent());
    const QString path = writeScript(QStringLiteral("Klingon"), QStringLiteral("[Options]\nCharset=klingon\n"));
    try {
        engine().loadScript(path);
        ADD_FAILURE() << "loaded";
    } catch (const ScriptLoadError& error) {
        EXPECT_EQ(error.key, QStringLiteral("Charset"));
        EXPECT_TRUE(error.reason.contains(QStringLiteral("« klingon » est inconnu"))) << error.reason.toStdString();
    }
}

TEST_F(ScriptLoading, FieldNamesFromMatchKeys)
{
    load(QStringLiteral("[FilmPage]\nCount=4\nMatch1=Titre|<h1>(.*)</h1>\nMatch2=A|b|c\nMatch3=|(\\d+)\n"));
    const WizardModel& m = engine().model();
    EXPECT_EQ(m.fieldRow(0).name, QStringLiteral("Titre"));
    EXPECT_EQ(m.fieldRow(1).name, QStringLiteral("A"));   // text after the second "|" ignored
    EXPECT_EQ(m.fieldRow(2).name, QString());             // empty name, row still shown
    EXPECT_TRUE(m.fieldRow(2).visible);
    EXPECT_EQ(m.fieldRow(3).name, QStringLiteral("??")); // missing key
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(m.fieldRow(k).ticked && m.fieldRow(k).value.isEmpty()) << k;
}

TEST_F(ScriptLoading, RowsAreReusedHiddenAndShownAgain)
{
    load(fields(5), QStringLiteral("Five"));
    engine().model().setFieldValue(4, QStringLiteral("old"));
    engine().model().setFieldTicked(4, false);
    load(fields(3), QStringLiteral("Three"));
    EXPECT_EQ(engine().model().fieldRowCount(), 5);
    EXPECT_EQ(visibleRows(), 3);
    EXPECT_FALSE(engine().model().fieldRow(3).visible);
    load(fields(5), QStringLiteral("Five"));
    EXPECT_EQ(engine().model().fieldRowCount(), 5); // not created again
    EXPECT_EQ(visibleRows(), 5);
    EXPECT_TRUE(engine().model().fieldRow(4).value.isEmpty());
    EXPECT_TRUE(engine().model().fieldRow(4).ticked);
    load(fields(0), QStringLiteral("None"));
    EXPECT_EQ(visibleRows(), 0);
}

TEST_F(ScriptLoading, CountLimitAndNegativeCount)
{
    load(fields(110), QStringLiteral("Max"));
    EXPECT_EQ(visibleRows(), 110);
    EXPECT_EQ(engine().model().fieldRow(109).name, QStringLiteral("F110"));

    load(QStringLiteral("[FilmPage]\nCount=-4\n"), QStringLiteral("Negative"));
    EXPECT_EQ(visibleRows(), 0);
}

TEST_F(ScriptLoading, Count111StopsBeforeAnyRowIsShown)
{
    load(fields(2), QStringLiteral("Two"));
    const QString path = writeScript(QStringLiteral("TooMany"), fields(111));
    EXPECT_THROW(engine().loadScript(path), ScriptLoadError);
    EXPECT_EQ(state.ScriptPath, path);
    EXPECT_EQ(engine().model().fieldRowCount(), 2); // the count is refused before any row is made
    EXPECT_EQ(visibleRows(), 2);                      // the old layout untouched
    EXPECT_EQ(engine().model().fieldRow(0).name, QStringLiteral("F1"));
}

TEST_F(ScriptLoading, BadNumbersNameTheFileAndKeyAndKeepTheWindowUsable)
{
    writeScript(QStringLiteral("A"), QStringLiteral("[Options]\nMethode=1\nHTTP=abc\n"));
    writeScript(QStringLiteral("B"), QStringLiteral("[FilmPage]\nCount=\n"));
    writeDemoScript(QStringLiteral("C"));
    makeHost(2);
    ASSERT_TRUE(engine().load()); // "A" selected: its failure is reported, the window opens
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.first().contains(QStringLiteral("A.tvs")) && ui.messages.first().contains(QStringLiteral("HTTP")))
        << ui.messages.first().toStdString();
    EXPECT_EQ(engine().usesGet(), kFalse); // read before the failing key
    ui.messages.clear();
    engine().selectScript(1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.first().contains(QStringLiteral("Count")));
    engine().selectScript(2);
    EXPECT_EQ(engine().loadedFieldCount(), 3);
}

TEST_F(ScriptLoading, AScriptWithMistakesLoadsAndSaysThemOnItsStatusLine)
{
    writeScript(QStringLiteral("A"), QStringLiteral("[SearchPage]\nUrl=http://s/?q=%1\nPattern=(x)\n[FilmPage]\nUrl=http://s/%1\n"
                                                    "Count=0\nPaternImg=<img src=\"([^\"]+)\"\n"));
    writeDemoScript(QStringLiteral("B"));
    makeHost(2);
    ASSERT_TRUE(engine().load());
    EXPECT_EQ(engine().model().scriptWarnings(),
              QStringList{QStringLiteral("A.tvs:7 : PaternImg : vouliez-vous dire PatternImg ?")});
    EXPECT_TRUE(engine().model().status().startsWith(QStringLiteral("Script : 1 problème(s)"))) << engine().model().status().toStdString();
    EXPECT_TRUE(engine().model().canSearch());
    engine().selectScript(1);
    EXPECT_TRUE(engine().model().scriptWarnings().isEmpty());
}

TEST_F(ScriptLoading, ScriptOverTheSizeLimitIsRefusedAndTheSearchToo)
{
    writeScript(QStringLiteral("Huge"), fields(2) + QString(1024 * 1024, u';'));
    makeHost(2);
    ASSERT_TRUE(engine().load());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.first().startsWith(QStringLiteral("Le script '")) &&
                ui.messages.first().contains(QStringLiteral("plus que les 1048576 permis")))
        << ui.messages.first().toStdString();
    EXPECT_EQ(engine().loadedFieldCount(), 0);
    ui.messages.clear();
    engine().search();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.first().contains(QStringLiteral("plus que les 1048576 permis")));
    EXPECT_TRUE(site.requestLines.isEmpty());
}

TEST_F(ScriptLoading, LongValueIsCutTo1023Characters)
{
    load(QStringLiteral("[FilmPage]\nCount=1\nMatch1=") + QString(2000, u'n') + u'\n');
    EXPECT_EQ(engine().model().fieldRow(0).name.size(), 1023);
}

} // namespace
} // namespace trouvel::wizard::test
