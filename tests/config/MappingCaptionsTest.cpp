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
                    kYearDeleted, "la colonne 2 s'appelait « Année », elle s'appelle maintenant « Réalisateur »"},
        CaptionCase{"LastMappedColumnGone", "Col3=3\nCaption1=Titre\nCaption2=Année\nCaption3=Réalisateur\n", kYearDeleted,
                    "la colonne 3 (« Réalisateur ») n'existe plus"},
        CaptionCase{"UnmappedColumnRenamed", "Col1=0\nCol2=2\nCaption1=Nom\nCaption2=Année\n",
                    {QStringLiteral("Titre"), QStringLiteral("Année")}, ""},
        CaptionCase{"EmptyCaptionStillCounts", "Col1=1\nCaption1=\n", {QStringLiteral("Titre")}, "s'appelait «  »"}),
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
