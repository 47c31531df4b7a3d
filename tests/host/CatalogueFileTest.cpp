#include "catalogue/CatalogueFile.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace cadrelle;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void expectSame(const Catalogue& a, const Catalogue& b)
{
    ASSERT_EQ(a.columns(), b.columns());
    ASSERT_EQ(a.entryCount(), b.entryCount());
    for (int r = 0; r < a.entryCount(); ++r) {
        EXPECT_EQ(a.entry(r).cells, b.entry(r).cells) << "entry " << r;
        EXPECT_EQ(a.tag(r), b.tag(r)) << "entry " << r;
    }
}

Catalogue oddCatalogue()
{
    Catalogue c;
    c.addColumn(u"Titre"_qs);
    c.addColumn(u"Réalisateur, pays"_qs);
    c.addColumn(u"Résumé \"court\""_qs);
    c.addColumn(u"#Tag"_qs); // a user column may carry the reserved caption, as long as it is not last
    c.addColumn(QString());
    c.addEntry({u"Le Mépris"_qs, u"Godard, France"_qs, u"Il dit \"non\".\nElle part."_qs, u"x"_qs, QString()}, u"Le Mepris.jpg"_qs);
    c.addEntry({QString(), QString(), QString(), QString(), QString()}, QString());
    c.addEntry({u"  espaces  "_qs, u"\r\n"_qs, u","_qs, u"\""_qs, u"ß€ĉ日本"_qs}, u"a,b.jpg"_qs);
    c.addEntry({u"=1+1"_qs, u"'quote"_qs, u"\t"_qs, QString(), u"fin"_qs}, QString());
    return c;
}

TEST(CatalogueFile, OddCellsRoundTripThroughAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"films.csv"_qs);
    const Catalogue original = oddCatalogue();
    ASSERT_EQ(saveCatalogue(path, original), QString());
    Catalogue back;
    ASSERT_EQ(loadCatalogue(path, back), QString());
    expectSame(original, back);
    // The text on disk is UTF-8 with the reserved column last.
    EXPECT_TRUE(readAll(path).startsWith(u"Titre,\"Réalisateur, pays\",\"Résumé \"\"court\"\"\",#Tag,,#Tag\r\n"_qs.toUtf8()));
}

TEST(CatalogueFile, LeadingZeroWidthNoBreakSpaceIsNotTakenForAByteOrderMark)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"films.csv"_qs);
    Catalogue original;
    original.addColumn(QString(QChar(0xFEFF)) + u"Titre"_qs);
    original.addEntry({QString(QChar(0xFEFF))}, QString());
    ASSERT_EQ(saveCatalogue(path, original), QString());
    Catalogue back;
    ASSERT_EQ(loadCatalogue(path, back), QString());
    expectSame(original, back);
}

TEST(CatalogueFile, EntriesOfAnEmptyCellAreNotWrittenAsBlankLines)
{
    // With no user column, an entry without a picture is one empty field: a blank line would
    // be skipped on reading and the entry lost.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"films.csv"_qs);
    Catalogue original;
    original.addEntry({}, QString());
    original.addEntry({}, u"a.jpg"_qs);
    original.addEntry({}, QString());
    ASSERT_EQ(saveCatalogue(path, original), QString());
    Catalogue back;
    ASSERT_EQ(loadCatalogue(path, back), QString());
    expectSame(original, back);
}

TEST(CatalogueFile, TenThousandEntriesRoundTrip)
{
    Catalogue original;
    for (int c = 0; c < 6; ++c)
        original.addColumn(QStringLiteral("Col %1").arg(c));
    for (int r = 0; r < 10000; ++r) {
        QStringList cells;
        for (int c = 0; c < 6; ++c)
            cells.append(r % 7 == c ? QString() : QStringLiteral("é%1,\"%2\"\n%3").arg(r).arg(c).arg(r * c));
        original.addEntry(cells, r % 3 == 0 ? QStringLiteral("img%1.jpg").arg(r) : QString());
    }
    Catalogue back;
    ASSERT_EQ(parseCatalogue(formatCatalogue(original), back), QString());
    expectSame(original, back);
}

// Written in pieces of whole records: together the same bytes, and nothing more is handed
// over once a piece is refused (a full disk).
TEST(CatalogueFile, PiecesAreWholeRecordsAndStopAtARefusal)
{
    Catalogue catalogue;
    catalogue.addColumn(u"Titre"_qs);
    catalogue.addColumn(u"Résumé"_qs);
    for (int r = 0; r < 3000; ++r)
        catalogue.addEntry({QStringLiteral("Film %1").arg(r), QStringLiteral("Été, \"long\"\n").repeated(4)}, u"a.jpg"_qs);
    QList<QByteArray> pieces;
    EXPECT_TRUE(formatCatalogue(catalogue, [&](QByteArrayView piece) {
        pieces.append(piece.toByteArray());
        return true;
    }));
    ASSERT_GT(pieces.size(), 2);
    for (const QByteArray& piece : pieces)
        EXPECT_TRUE(piece.endsWith("a.jpg\r\n") || piece == pieces.first());
    EXPECT_EQ(pieces.join(), formatCatalogue(catalogue));

    int handed = 0;
    EXPECT_FALSE(formatCatalogue(catalogue, [&](QByteArrayView) { return ++handed < 2; }));
    EXPECT_EQ(handed, 2);
}

TEST(CatalogueFile, EmptyCatalogueRoundTrips)
{
    Catalogue back;
    back.addColumn(u"stale"_qs);
    ASSERT_EQ(parseCatalogue(formatCatalogue(Catalogue()), back), QString());
    EXPECT_EQ(back.columnCount(), 0);
    EXPECT_EQ(back.entryCount(), 0);
}

struct ReadCase {
    const char* name;
    QByteArray bytes;
    QStringList columns;
    QList<QStringList> cells;
    QStringList tags;
};

class CatalogueRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CatalogueRead, ReadsFilesWrittenElsewhere)
{
    Catalogue c;
    ASSERT_EQ(parseCatalogue(GetParam().bytes, c), QString());
    EXPECT_EQ(c.columns(), GetParam().columns);
    ASSERT_EQ(c.entryCount(), GetParam().cells.size());
    for (int r = 0; r < c.entryCount(); ++r) {
        EXPECT_EQ(c.entry(r).cells, GetParam().cells[r]);
        EXPECT_EQ(c.tag(r), GetParam().tags[r]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogueRead,
    ::testing::Values(
        ReadCase{"without_tag_column", "Titre,An\nAlien,1979\n", {u"Titre"_qs, u"An"_qs}, {{u"Alien"_qs, u"1979"_qs}}, {QString()}},
        ReadCase{"short_records_padded", "Titre,An,#Tag\r\nAlien\r\n", {u"Titre"_qs, u"An"_qs}, {{u"Alien"_qs, QString()}}, {QString()}},
        ReadCase{"byte_order_mark_dropped", "\xEF\xBB\xBFTitre,#Tag\r\nX,x.jpg\r\n", {u"Titre"_qs}, {{u"X"_qs}}, {u"x.jpg"_qs}},
        ReadCase{"windows_1252_bytes", "Titre,#Tag\r\nLe M\xE9pris,\r\n", {u"Titre"_qs}, {{u"Le Mépris"_qs}}, {QString()}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CatalogueFile, RefusedFileLeavesTheCatalogueAsItWas)
{
    const Catalogue original = oddCatalogue();
    for (const QByteArray& bad : {QByteArray("Titre,#Tag\r\na,b,c\r\n"), QByteArray("Titre,#Tag\r\n\"open\r\n")}) {
        Catalogue c = original;
        const QString error = parseCatalogue(bad, c);
        EXPECT_FALSE(error.isEmpty()) << bad.constData();
        expectSame(original, c);
    }
    Catalogue c = original;
    EXPECT_FALSE(loadCatalogue(u"/nonexistent/folder/films.csv"_qs, c).isEmpty());
    expectSame(original, c);
}

using trouvel::testsupport::FileSizeLimit;

TEST(CatalogueFile, FailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"films.csv"_qs);
    const Catalogue small = oddCatalogue();
    ASSERT_EQ(saveCatalogue(path, small), QString());
    const QByteArray before = readAll(path);

    Catalogue big = small;
    for (int r = 0; r < 5000; ++r)
        big.addEntry({QStringLiteral("Film %1").arg(r), u"x"_qs, u"y"_qs, u"z"_qs, u"w"_qs});
    QString error;
    {
        // The write runs out of room half-way, as on a full disk.
        FileSizeLimit limit(4096);
        error = saveCatalogue(path, big);
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"films.csv"_qs}) << "temporary file left behind";

    // Saving into a folder that does not exist is reported too.
    EXPECT_FALSE(saveCatalogue(dir.filePath(u"missing/films.csv"_qs), small).isEmpty());
}

} // namespace
