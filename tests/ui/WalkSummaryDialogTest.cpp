// The walk's summary lists the entries not filled (or filled without a picture) and takes the
// user to the one picked.
#include "ui/WalkSummaryDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace trouvel::ui {
namespace {

using Kind = wizard::EntryOutcome::Kind;

TEST(WalkSummaryDialog, ListsWhatIsLeftAndGoesToThePickedEntry)
{
    wizard::WalkSummary walk;
    walk.record({1, QStringLiteral("Heat"), {Kind::Filled, 1, {}, {}}});
    walk.record({2, QStringLiteral("Ronin"), {Kind::Ambiguous, 3, {}, {}}});
    walk.record({3, QStringLiteral("Nord"), {Kind::Filled, 1, {}, QStringLiteral("sans image")}});
    int wentTo = 0;
    WalkSummaryDialog dialog(walk, [&](int entry) { wentTo = entry; });
    dialog.show();
    EXPECT_EQ(dialog.findChild<QLabel*>("counts")->text(),
              QString::fromUtf8("3 entrée(s) : 2 remplie(s) (1 sans image), 1 ambiguë(s)."));
    auto* list = dialog.findChild<QListWidget*>("notFilled");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("2. Ronin : 3 candidats : choisissez"));
    EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("3. Nord : rempli, sans image"));
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(wentTo, 2);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
} // namespace trouvel::ui
