// The workbench window offscreen: typing into a pattern changes the marks, their count and the
// fields at once; "Enregistrer" writes the edited keys; closing with edits asks first;
// "Rechercher" fetches from the demo site as `trouvel try` does.
#include "AtelierPages.h"
#include "AtelierWindow.h"

#include "demo/DemoSiteFixture.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace trouvel::atelier {
namespace {

using test::filmBody;
using test::searchBody;
using test::storedPage;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : window(site.scriptPath(), ui, FetchSettings{}) {}

    void showPages()
    {
        window.showSearchPage(FetchedPage{QStringLiteral("http://127.0.0.1/recherche?titre=x"), {}, storedPage(searchBody()), {}, 200, 0});
        window.showFilmPage(FetchedPage{QStringLiteral("http://127.0.0.1/film/101"), {}, storedPage(filmBody()), {}, 200, 0},
                            QStringLiteral("101"));
    }
    QLineEdit* editor(const char* name) { return window.findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QTreeWidget* tree(const char* name) { return window.findChild<QTreeWidget*>(QString::fromLatin1(name)); }
    QString field(int row) { return tree("champs")->topLevelItem(row) ? tree("champs")->topLevelItem(row)->text(1) : QString(); }
    // Selects the editor's text and types over it, as an author does.
    void typeInto(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }

    testsupport::DemoSiteFixture site;
    trouvel::test::ScriptedUi ui;
    AtelierWindow window;
};

struct TypingCase {
    const char* name;
    const char* editor;
    QString typed;
    QString count;
    int fieldRow; // -1: the candidates' link column is looked at instead
    QString fieldValue;
};
void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.name; }

class TypingRows : public WindowTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(TypingRows, TheMarksTheirCountAndTheFieldsFollowTheKeys)
{
    const TypingCase& c = GetParam();
    window.show();
    showPages();
    QLineEdit* edit = editor(c.editor);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    ASSERT_TRUE(waitUntil([&] { return !field(0).isEmpty() && window.pages().countText().contains(QStringLiteral("correspondance")); }));
    typeInto(edit, c.typed);
    ASSERT_TRUE(waitUntil([&] { return window.pages().countText() == c.count; })) << window.pages().countText().toStdString();
    if (c.fieldRow >= 0)
        EXPECT_TRUE(waitUntil([&] { return field(c.fieldRow) == c.fieldValue; })) << field(c.fieldRow).toStdString();
    else
        EXPECT_TRUE(waitUntil([&] { return tree("candidats")->topLevelItem(0)->text(1) == c.fieldValue; }));
    EXPECT_TRUE(window.findChild<QPushButton*>(QStringLiteral("enregistrer"))->isEnabled());
    EXPECT_TRUE(window.isWindowModified());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TypingRows,
    ::testing::Values(
        TypingCase{"field_pattern_narrowed", "Match2", QStringLiteral("<td class=annee>(\\d{2})"), QStringLiteral("1 correspondance(s)"), 1, QStringLiteral("19")},
        TypingCase{"field_pattern_matching_nothing", "Match2", QStringLiteral("<td class=annee>(\\d{5})"), QStringLiteral("Aucune correspondance"), 1,
                   QStringLiteral("(aucune correspondance)")},
        TypingCase{"field_pattern_widened", "Match5", QStringLiteral("<td>([^<]*)</td>"), QStringLiteral("2 correspondance(s)"), 4,
                   QStringLiteral("Gaspard Millerand-Tour")},
        TypingCase{"link_group", "Link", QStringLiteral("2"), QStringLiteral("2 correspondance(s)"), -1, QString::fromUtf8("Le Dernier Été")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, AFieldNameChangeRenamesItsRow)
{
    window.show();
    showPages();
    typeInto(editor("Match1.nom"), QStringLiteral("Titre original"));
    EXPECT_TRUE(waitUntil([&] { return tree("champs")->topLevelItem(0) && tree("champs")->topLevelItem(0)->text(0) == QStringLiteral("Titre original"); }));
}

TEST_F(WindowTest, NoMatchMarksWhereThePatternStopsAndExplains)
{
    window.show();
    showPages();
    typeInto(editor("Match2"), QStringLiteral("<td class=annee>(\\d{5})"));
    ASSERT_TRUE(waitUntil([&] { return window.pages().countText() == QStringLiteral("Aucune correspondance"); }));
    EXPECT_TRUE(window.pages().explanationText().startsWith(QStringLiteral("aucune correspondance dans la page ; le début")))
        << window.pages().explanationText().toStdString();
    const std::vector<PageView::Mark>& marks = window.pages().marks(PageKind::Film);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].kind, PageView::Mark::Partial);
    EXPECT_EQ(marks[1].kind, PageView::Mark::Stop);
    EXPECT_EQ(marks[1].from, marks[0].from + marks[0].length);
    EXPECT_EQ(window.pages().currentPage(), PageKind::Film);
}

TEST_F(WindowTest, MatchesAndKeptGroupsAreMarkedInTheSearchPage)
{
    window.show();
    showPages();
    window.form().select(0); // the search Pattern
    ASSERT_TRUE(waitUntil([&] { return window.pages().countText() == QStringLiteral("2 correspondance(s)"); }));
    EXPECT_EQ(window.pages().currentPage(), PageKind::Search);
    const std::vector<PageView::Mark>& marks = window.pages().marks(PageKind::Search);
    ASSERT_EQ(marks.size(), 2u + 2u * 3u); // two matches, three kept groups each
    EXPECT_EQ(marks[0].kind, PageView::Mark::Match);
    EXPECT_EQ(marks[2].kind, PageView::Mark::Group);
    EXPECT_EQ(tree("candidats")->topLevelItemCount(), 2);
}

TEST_F(WindowTest, AFieldPatternCutAtABarIsFlagged)
{
    window.show();
    showPages();
    typeInto(editor("Match2"), QStringLiteral("<td class=annee>(\\d{4})|(x)"));
    EXPECT_TRUE(editor("Match2")->toolTip().startsWith(QString::fromUtf8("Le motif contient « | » (caractère 24)")))
        << editor("Match2")->toolTip().toStdString();
    // The wizard reads up to the bar: the year still comes.
    EXPECT_TRUE(waitUntil([&] { return field(1) == QStringLiteral("1972"); }));
}

TEST_F(WindowTest, SaveWritesTheEditedKeysOnly)
{
    window.show();
    showPages();
    const QByteArray before = readAll(site.scriptPath());
    typeInto(editor("Match2"), QStringLiteral("<td class=annee>(\\d+)</td>"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("enregistrer")), Qt::LeftButton);
    QByteArray expected = before;
    expected.replace("Match2=Ann\xc3\xa9""e|<td class=annee>(\\d{4})</td>", "Match2=Ann\xc3\xa9""e|<td class=annee>(\\d+)</td>");
    EXPECT_NE(expected, before);
    EXPECT_EQ(readAll(site.scriptPath()), expected);
    EXPECT_FALSE(window.findChild<QPushButton*>(QStringLiteral("enregistrer"))->isEnabled());
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(ui.messages.isEmpty());
}

struct CloseCase {
    const char* name;
    MsgAnswer answer;
    bool closes;
    bool saved;
};
void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class CloseRows : public WindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseRows, ClosingWithEditsAsksFirst)
{
    const CloseCase& c = GetParam();
    window.show();
    const QByteArray before = readAll(site.scriptPath());
    typeInto(editor("PatternImg"), QStringLiteral("<img src=\"([^\"]+)\""));
    ui.answers.push_back(c.answer);
    window.close();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QString::fromUtf8("ne sont pas enregistrées"))) << ui.messages[0].toStdString();
    EXPECT_EQ(ui.buttons[0], MsgButtons::YesNoCancel);
    EXPECT_EQ(window.isVisible(), !c.closes);
    EXPECT_EQ(readAll(site.scriptPath()) != before, c.saved);
    if (c.saved) {
        EXPECT_TRUE(readAll(site.scriptPath()).contains("PatternImg=<img src=\"([^\"]+)\"\n"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CloseRows,
                         ::testing::Values(CloseCase{"cancel_keeps_it_open", MsgAnswer::Cancel, false, false},
                                           CloseCase{"no_closes_without_saving", MsgAnswer::No, true, false},
                                           CloseCase{"yes_saves_then_closes", MsgAnswer::Yes, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ClosingWithoutEditsAsksNothing)
{
    window.show();
    window.close();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(WindowTest, SearchFetchesTheSearchPageThenTheFirstCandidatesFilm)
{
    window.show();
    int replies = 0;
    QObject::connect(&window, &AtelierWindow::fetchEnded, [&] { ++replies; });
    window.findChild<QLineEdit*>(QStringLiteral("titre"))->setText(QString::fromUtf8("Le dernier été"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("rechercher")), Qt::LeftButton);
    // The demo site lists two films of that title: the first one's page follows.
    ASSERT_TRUE(waitUntil([&] { return replies == 2 && field(0) == QString::fromUtf8("Le Dernier Été") && !field(1).isEmpty(); }));
    ASSERT_EQ(tree("candidats")->topLevelItemCount(), 2);
    const QString firstYear = field(1);
    const QString status = window.findChild<QLabel*>(QStringLiteral("etat"))->text();
    EXPECT_TRUE(status.startsWith(QString::fromUtf8("Fiche « %1 » : page lue (HTTP 200").arg(tree("candidats")->topLevelItem(0)->text(1))))
        << status.toStdString();

    // Another candidate: its film page.
    QTreeWidgetItem* second = tree("candidats")->topLevelItem(1);
    QTest::mouseClick(tree("candidats")->viewport(), Qt::LeftButton, {}, tree("candidats")->visualItemRect(second).center());
    ASSERT_TRUE(waitUntil([&] { return replies == 3 && !field(1).isEmpty() && field(1) != firstYear; })) << field(1).toStdString();
}

TEST_F(WindowTest, SearchWithTheEditedPatternListsWhatItFinds)
{
    window.show();
    // A search pattern that reads the title as the link: the film pages cannot be read with it.
    typeInto(editor("Link"), QStringLiteral("2"));
    int replies = 0;
    QObject::connect(&window, &AtelierWindow::fetchEnded, [&] { ++replies; });
    window.search(QString::fromUtf8("Le dernier été"));
    ASSERT_TRUE(waitUntil([&] { return replies >= 1 && tree("candidats")->topLevelItemCount() == 2; }));
    EXPECT_EQ(tree("candidats")->topLevelItem(0)->text(1), QString::fromUtf8("Le Dernier Été"));
}

TEST_F(WindowTest, WithoutATitleNothingIsFetched)
{
    window.show();
    window.search(QStringLiteral("  "));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("etat"))->text(), QString::fromUtf8("Saisissez le titre d'un film du site."));
    EXPECT_TRUE(window.findChild<QPushButton*>(QStringLiteral("rechercher"))->isEnabled());
}

struct RecordedCase {
    const char* name;
    QString folder;
    QString title;
    QString year;
};
void PrintTo(const RecordedCase& c, std::ostream* os) { *os << c.name; }

class RecordedRows : public ::testing::TestWithParam<RecordedCase> {};

// The demo script's recorded titles, replayed with no site running: the search page, then
// the film page of the candidate the recording picked.
TEST_P(RecordedRows, ARecordedTitleGivesItsPagesWithNoNetwork)
{
    const RecordedCase& c = GetParam();
    QTemporaryDir dir;
    const QString script = QDir(dir.path()).filePath(QStringLiteral("Demo.tvs"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs"), script));
    const QString recorded = QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tests/") + c.folder;
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("Demo.tests/") + c.folder);
    ASSERT_TRUE(QDir().mkpath(copy));
    for (const QString& name : QDir(recorded).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(QDir(recorded).filePath(name), QDir(copy).filePath(name)));

    trouvel::test::ScriptedUi ui;
    AtelierWindow window(script, ui, FetchSettings{});
    window.show();
    auto* choice = window.findChild<QComboBox*>(QStringLiteral("enregistrements"));
    ASSERT_NE(choice, nullptr);
    ASSERT_EQ(choice->count(), 2);
    window.openRecorded(choice->itemData(1).toString());
    auto* fields = window.findChild<QTreeWidget*>(QStringLiteral("champs"));
    const auto field = [&](int row) { return fields->topLevelItem(row) ? fields->topLevelItem(row)->text(1) : QString(); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return field(0) == c.title && field(1) == c.year; }, 10000))
        << field(0).toStdString() << " " << field(1).toStdString();
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("titre"))->text(), c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecordedRows,
    ::testing::Values(RecordedCase{"one_candidate_its_page_with_it", QStringLiteral("nord-sud"), QStringLiteral("Nord/Sud"), QStringLiteral("1988")},
                      RecordedCase{"second_candidate_picked", QStringLiteral("le-dernier-ete--choix-2"), QString::fromUtf8("Le Dernier Été"),
                                   QStringLiteral("2004")}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::atelier
