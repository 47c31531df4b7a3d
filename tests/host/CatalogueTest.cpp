#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

using namespace cadrelle;

// The same catalogue kept as plain lists of strings, to check the packed one against.
struct Plain {
    QStringList columns;
    QList<Entry> entries;
};

void expectMatches(const Catalogue& c, const Plain& p, const char* after)
{
    ASSERT_EQ(c.columns(), p.columns) << after;
    ASSERT_EQ(c.entryCount(), int(p.entries.size())) << after;
    for (int r = 0; r < c.entryCount(); ++r) {
        EXPECT_EQ(c.entry(r).cells, p.entries[r].cells) << after << ", entry " << r;
        EXPECT_EQ(c.tag(r), p.entries[r].tag) << after << ", entry " << r;
        for (int col = 0; col < c.columnCount(); ++col)
            EXPECT_EQ(c.cellUtf8(r, col), p.entries[r].cells[col].toUtf8()) << after << ", entry " << r << ", column " << col;
    }
}

// Every edit of one cell, Tag, column or entry leaves every other cell as it was, with cells
// of every length class (empty, short, past the one-byte length, past two bytes) and text
// outside ASCII.
TEST(Catalogue, EditsKeepEveryOtherCell)
{
    const QString long300 = (u"été "_qs).repeated(75);   // 375 bytes of UTF-8
    const QString long20k = (u"Ωmega "_qs).repeated(3000); // 21,000 bytes
    Catalogue c;
    Plain p;
    for (const QString& caption : {u"Titre"_qs, u"Résumé"_qs, u"Genre"_qs}) {
        c.addColumn(caption);
        p.columns << caption;
    }
    const QList<Entry> start = {{{u"Nord/Sud"_qs, long300, QString()}, u"nord.jpg"_qs},
                                {{QString(), QString(), u"Drame"_qs}, QString()},
                                {{u"Ω"_qs, long20k, u"x"_qs}, u"Ω.jpg"_qs}};
    for (const Entry& e : start) {
        c.addEntry(e.cells, e.tag);
        p.entries.append(e);
    }
    expectMatches(c, p, "adding");

    c.setCell(0, 1, u"court"_qs);
    p.entries[0].cells[1] = u"court"_qs;
    c.setCell(1, 0, long20k);
    p.entries[1].cells[0] = long20k;
    c.setCell(2, 2, QString());
    p.entries[2].cells[2] = QString();
    expectMatches(c, p, "setCell");

    c.setTag(1, long300);
    p.entries[1].tag = long300;
    c.setTag(0, QString());
    p.entries[0].tag = QString();
    expectMatches(c, p, "setTag");

    c.addColumn(u"Support"_qs);
    p.columns << u"Support"_qs;
    for (Entry& e : p.entries)
        e.cells << QString();
    c.setCell(2, 3, u"DVD"_qs);
    p.entries[2].cells[3] = u"DVD"_qs;
    expectMatches(c, p, "addColumn");

    c.removeColumn(1);
    p.columns.removeAt(1);
    for (Entry& e : p.entries)
        e.cells.removeAt(1);
    expectMatches(c, p, "removeColumn");

    c.removeEntry(0);
    p.entries.removeAt(0);
    expectMatches(c, p, "removeEntry");

    // Cells beyond the columns are cut, missing ones are empty.
    c.addEntry({u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}, u"t"_qs);
    p.entries.append({{u"a"_qs, u"b"_qs, u"c"_qs}, u"t"_qs});
    c.addEntry({u"seul"_qs});
    p.entries.append({{u"seul"_qs, QString(), QString()}, QString()});
    expectMatches(c, p, "addEntry of other widths");
}

} // namespace
