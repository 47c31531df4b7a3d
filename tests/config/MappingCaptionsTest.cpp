// The captions kept beside a column mapping tell when the host's columns changed under it.
#include "config/IniFile.h"
#include "config/MappingCaptions.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace trouvel::config {
namespace {

struct CaptionCase {
    const char* name;
    const char* stored;         // Trouvel.ini's [Demo] section
    QStringList hostCaptions;
    const char* mismatchNames;  // "" when the mapping still holds; else a text the message holds
};

class CaptionCheck : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionCheck, TellsWhetherTheMappingStillHolds)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Trouvel.ini"));
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("[Demo]\n") + GetParam().stored);
    file.close();
    const QString mismatch = mappingCaptionsMismatch(ini, QStringLiteral("Demo"), GetParam().hostCaptions);
    if (QByteArray(GetParam().mismatchNames).isEmpty())
        EXPECT_EQ(mismatch, QString());
    else
        EXPECT_TRUE(mismatch.contains(QString::fromUtf8(GetParam().mismatchNames))) << mismatch.toStdString();
}

const QStringList kNow{QStringLiteral("Titre"), QStringLiteral("Année"), QStringLiteral("Réalisateur")};
const QStringList kYearDeleted{QStringLiteral("Titre"), QStringLiteral("Réalisateur")};

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptionCheck,
    ::testing::Values(
        CaptionCase{"SameColumns", "Col1=0\nCol2=2\nCol3=3\nCaption1=Titre\nCaption2=Année\nCaption3=Réalisateur\n", kNow, ""},
        CaptionCase{"WrittenBeforeCaptionsWereKept", "Col2=2\nCol3=3\n", kYearDeleted, ""},
        CaptionCase{"MappedColumnDeleted", "Col1=0\nCol2=2\nCol3=3\nCaption1=Titre\nCaption2=Année\nCaption3=Réalisateur\n",
                    kYearDeleted, "(la colonne « Année » a été supprimée)"},
        CaptionCase{"LastMappedColumnGone", "Col3=3\nCaption1=Titre\nCaption2=Année\nCaption3=Réalisateur\n",
                    {QStringLiteral("Titre"), QStringLiteral("Année")}, "la colonne « Réalisateur » a été supprimée"},
        CaptionCase{"UnmappedColumnDeletedMappedOneMoves", "Col3=3\nCaption1=Titre\nCaption2=Année\nCaption3=Réalisateur\n",
                    kYearDeleted, "la colonne « Réalisateur » est passée de la place 3 à la place 2"},
        CaptionCase{"MappedColumnMoved", "Col2=2\nCaption1=Titre\nCaption2=Année\nCaption3=Réalisateur\n",
                    {QStringLiteral("Titre"), QStringLiteral("Réalisateur"), QStringLiteral("Année")},
                    "la colonne « Année » est passée de la place 2 à la place 3"},
        CaptionCase{"MappedColumnRenamed", "Col2=2\nCaption1=Titre\nCaption2=Année\n", {QStringLiteral("Titre"), QStringLiteral("Sortie")},
                    "la colonne 2 « Année » a été renommée « Sortie »"},
        CaptionCase{"UnmappedColumnRenamed", "Col1=0\nCol2=2\nCaption1=Nom\nCaption2=Année\n",
                    {QStringLiteral("Titre"), QStringLiteral("Année")}, ""},
        CaptionCase{"ColumnAddedAtTheEnd", "Col2=2\nCaption1=Titre\nCaption2=Année\n", kNow, ""},
        CaptionCase{"EmptyCaptionStillCounts", "Col1=1\nCaption1=\n", {QStringLiteral("Titre")}, "la colonne 1 «  » a été renommée « Titre »"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CaptionWrite, StoresEachCaptionBesideItsColumn)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Trouvel.ini"));
    ASSERT_EQ(writeMappingCaptions(ini, QStringLiteral("Demo"), kNow), QString());
    EXPECT_EQ(ReadIniString(ini, QStringLiteral("Demo"), captionKey(2), {}), QStringLiteral("Année"));
    ASSERT_TRUE(WriteIniString(ini, QStringLiteral("Demo"), QStringLiteral("Col2"), QStringLiteral("2")));
    EXPECT_EQ(mappingCaptionsMismatch(ini, QStringLiteral("Demo"), kNow), QString());
    EXPECT_FALSE(mappingCaptionsMismatch(ini, QStringLiteral("Demo"), kYearDeleted).isEmpty());
}

} // namespace
} // namespace trouvel::config
