// The search and detail steps over pages and scripts that are hostile or merely odd: NUL
// bytes, bytes that are not UTF-8, a 5 MiB line, a 10 MiB page under patterns that backtrack
// without end, values made of regex metacharacters, a script with a byte-order mark and
// CR LF line ends. Each step completes; a pattern that gives up counts as no match and says
// why in the field's tool tip; the other fields are still filled.
#include "support/WizardFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace trouvel::wizard::test {
namespace {

class HostileSteps : public WizardTest {
protected:
    void start()
    {
        writeMapping(QStringLiteral("Demo"), QStringLiteral("Col1=1"));
        ASSERT_TRUE(engine().load());
    }
    const WizardModel& m() { return engine().model(); }
    // The demo script with replacements made in its text.
    void demoScriptWith(std::initializer_list<std::pair<QString, QString>> changes)
    {
        writeDemoScript();
        QFile file(state.ScriptPath.isEmpty() ? pluginFolder + QStringLiteral("/scripts/Demo.tvs") : state.ScriptPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(file.readAll());
        file.close();
        for (const auto& [from, to] : changes) {
            ASSERT_TRUE(text.contains(from)) << from.toStdString();
            text.replace(from, to);
        }
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
    void demoScriptWith(const QString& from, const QString& to) { demoScriptWith({{from, to}}); }
};

// ---- odd pages through the detail step ----

struct PageCase {
    const char* name;
    QByteArray page;    // the detail page of film 1
    QString yearMatch;  // the Année row's "name|pattern" value (no "|" in the pattern), "" for the demo's
    QString title;      // expected Titre value
    QString year;       // expected Année value; "" with gaveUp: the pattern gave up
    bool gaveUp = false;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

QByteArray repeated(const char* piece, qsizetype bytes)
{
    const QByteArray p(piece);
    return p.repeated(bytes / p.size());
}

// A literal with its NUL bytes, all of them.
template <std::size_t N>
QByteArray withNuls(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

const qsizetype kMiB = 1024 * 1024;

class OddPage : public HostileSteps, public ::testing::WithParamInterface<PageCase> {};

TEST_P(OddPage, StepCompletesWithTheseFields)
{
    if (GetParam().yearMatch.isEmpty())
        writeDemoScript();
    else
        demoScriptWith(QString::fromUtf8("Match2=Année|Année : (\\d+)"), QStringLiteral("Match2=") + GetParam().yearMatch);
    site.page("/film/1", GetParam().page);
    start();
    engine().search();

    EXPECT_EQ(m().fieldRow(0).value, GetParam().title);
    EXPECT_EQ(m().fieldRow(1).value, GetParam().year);
    // As the pattern left it (step 3 unticks it on screen: no column receives it here).
    EXPECT_EQ(engine().steps().detail->fields.at(1).ticked, !GetParam().year.isEmpty());
    if (GetParam().gaveUp) {
        EXPECT_TRUE(m().fieldRow(1).toolTip.contains(QStringLiteral("Recherche abandonnée")))
            << m().fieldRow(1).toolTip.toStdString();
    }
    EXPECT_EQ(m().status(), QStringLiteral("Terminé")); // the picture step ran after the fields
}

INSTANTIATE_TEST_SUITE_P(
    Pages, OddPage,
    ::testing::Values(
        PageCase{"NulBytes", withNuls("<h1>Le\0Samoura\xC3\xAF</h1>\0\n<p>Ann\xC3\xA9" "e : 1967</p>\0<img src=\"/img/1.png\">"),
                 {}, QStringLiteral("Le") + QChar(0) + QString::fromUtf8("Samouraï"), QStringLiteral("1967")},
        PageCase{"Windows1252", "<h1>L'\xE9t\xE9 \x80</h1>\n<p>Ann\xE9" "e : 1983</p><img src=\"/img/1.png\">", {},
                 QString::fromUtf8("L'été €"), QStringLiteral("1983")},
        PageCase{"BrokenUtf8Sequences", "<h1>A\xC3\x28\xF0\x9F</h1>\n<p>Ann\xC3\xA9" "e : 1990</p><img src=\"/img/1.png\">",
                 {}, QString::fromUtf8("AÃ(ðŸ"), QStringLiteral("1990")},
        PageCase{"FiveMiBSingleLine",
                 "<h1>Long</h1>" + repeated("<td>x</td>", 5 * kMiB) + QByteArray("<p>Ann\xC3\xA9" "e : 2001</p><img src=\"/img/1.png\">"),
                 {}, QStringLiteral("Long"), QStringLiteral("2001")},
        PageCase{"NestedLazyGroupsOverTenMiB", "<h1>Dix</h1>\n" + repeated("ab", 10 * kMiB) + "<img src=\"/img/1.png\">",
                 QString::fromUtf8("Année|(([ab]+?)+?)+?c"), QStringLiteral("Dix"), {}, true},
        PageCase{"RunOfAThenB", "<h1>Run</h1>\n" + QByteArray(100000, 'a') + "b<img src=\"/img/1.png\">",
                 QString::fromUtf8("Année|(a+)+$"), QStringLiteral("Run"), {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A repeated group that may be empty, in every field: each match runs to its limits. Stop,
// moving on or closing the window during the analysis acts inside the match, the step ends
// with the fields not yet analysed empty and unticked, and nothing is saved.
enum class Gesture { Stop, Next, Close };

struct StopCase {
    const char* name;
    Gesture gesture;
};

class StoppedAnalysis : public HostileSteps, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StoppedAnalysis, EndsTheStepWithinTheMatch)
{
    const QString slow = QStringLiteral("|<h1>([\\s\\S]*?)+=/h1>");
    demoScriptWith({{QStringLiteral("Match1=Titre|<h1>([\\s\\S]*?)</h1>"), QStringLiteral("Match1=Titre") + slow},
                    {QString::fromUtf8("Match2=Année|Année : (\\d+)"), QString::fromUtf8("Match2=Année") + slow}});
    site.page("/film/1", "<h1>" + QByteArray(46, 'a') + "<img src=\"/img/1.png\">");
    start();
    engine().model().setAutoSave(true);
    bool acted = false;
    int analyses = 0;
    // Once the detail page is in, the gesture waits for the event loop: it can only turn
    // inside the first field's match.
    QObject::connect(&engine().model(), &WizardModel::statusChanged, [&] {
        if (m().status() != QStringLiteral("Analyse des donnees en cours...") || ++analyses != 2)
            return;
        QTimer::singleShot(0, [&] {
        acted = true;
        switch (GetParam().gesture) {
        case Gesture::Stop: engine().stop(); break;
        case Gesture::Next: engine().next(); break;
        case Gesture::Close: engine().quit(); break;
        }
        });
    });
    engine().search();
    ASSERT_TRUE(acted);
    EXPECT_EQ(host->entry(1).columns, (std::vector<std::string>{"Film 1", "", ""})) << "nothing saved";
    EXPECT_FALSE(QFileInfo::exists(engine().pictureFile()));
    if (GetParam().gesture == Gesture::Stop) {
        EXPECT_EQ(m().status(), QStringLiteral("Analyse interrompue"));
        EXPECT_EQ(state.CurrentItem, 1);
        for (int row : {0, 1, 2}) {
            EXPECT_FALSE(m().fieldRow(row).ticked) << row;
            EXPECT_EQ(m().fieldRow(row).toolTip, QStringLiteral("Analyse interrompue")) << row;
        }
        EXPECT_FALSE(m().stopOffered());
    }
}

INSTANTIATE_TEST_SUITE_P(Gestures, StoppedAnalysis,
                         ::testing::Values(StopCase{"Stop", Gesture::Stop}, StopCase{"Next", Gesture::Next},
                                           StopCase{"Close", Gesture::Close}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- odd scripts ----

// 1,023 characters of regex metacharacters: the most a script value holds.
QString metacharacters(const QString& lead)
{
    const QString pool = QStringLiteral("()[]{}*+?.^$|\\");
    QString value = lead;
    for (int i = 0; value.size() < 1023; ++i)
        value += pool.at((i * 5) % pool.size());
    return value;
}

TEST_F(HostileSteps, MetacharacterFieldPatternIsNoMatchWithTheReason)
{
    demoScriptWith(QString::fromUtf8("Match2=Année|Année : (\\d+)"), QStringLiteral("Match2=") + metacharacters(QString::fromUtf8("Année|")));
    start();
    engine().search();
    EXPECT_EQ(m().fieldRow(0).value, QStringLiteral("Titre 1"));
    EXPECT_TRUE(m().fieldRow(1).value.isEmpty());
    EXPECT_FALSE(m().fieldRow(1).ticked);
    EXPECT_FALSE(m().fieldRow(1).toolTip.isEmpty());
}

TEST_F(HostileSteps, MetacharacterSearchPatternListsNothing)
{
    demoScriptWith(QStringLiteral("Pattern=<a href=\"/film/(\\d+)\">([\\s\\S]*?)</a>"),
                   QStringLiteral("Pattern=") + metacharacters({}));
    start();
    engine().search();
    EXPECT_TRUE(m().candidates().empty());
    EXPECT_FALSE(m().candidatesError().isEmpty());
    EXPECT_TRUE(m().fieldRow(0).value.isEmpty());
}

TEST_F(HostileSteps, MetacharacterAddressesAreRefusedOrSent)
{
    // The detail address becomes 1,023 metacharacters after the site: sent as it stands or
    // refused as a bad address, but the step ends and the fields stay empty.
    demoScriptWith(QStringLiteral("/film/%1"), QStringLiteral("/") + metacharacters({}).left(1000));
    start();
    engine().search();
    EXPECT_TRUE(m().fieldRow(0).value.isEmpty());
    EXPECT_TRUE(m().fieldRow(1).value.isEmpty());
}

TEST_F(HostileSteps, ScriptWithByteOrderMarkAndCrLfWorksAsUsual)
{
    writeDemoScript();
    QFile file(pluginFolder + QStringLiteral("/scripts/Demo.tvs"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = "\xEF\xBB\xBF" + file.readAll().replace("\n", "\r\n");
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    start();
    engine().search();
    EXPECT_EQ(m().fieldRow(0).value, QStringLiteral("Titre 1"));
    EXPECT_EQ(m().fieldRow(1).value, QStringLiteral("1901"));
    EXPECT_EQ(m().status(), QStringLiteral("Terminé"));
}

} // namespace
} // namespace trouvel::wizard::test
