#include "config/MappingFile.h"
#include "config/ScriptFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace trouvel::config {
namespace {

QString writeTemp(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

TEST(ScriptFile, MissingKeysReadAsTheStepsAlwaysRead)
{
    QTemporaryDir dir;
    const ScriptFile script(writeTemp(dir, QStringLiteral("s.tvs"), "[FilmPage]\nCount=-3\n"));
    EXPECT_FALSE(script.usesPost());
    EXPECT_EQ(script.httpVersionText(), QStringLiteral("0"));
    EXPECT_LT(script.linkGroup(), 0);
    EXPECT_LT(script.longTextGroup(), 0);
    EXPECT_EQ(script.fieldCount(), 0);
    const FieldSpec absent = script.field(1);
    EXPECT_EQ(absent.name, QStringLiteral("??"));
    EXPECT_TRUE(absent.hasPattern);
    EXPECT_EQ(absent.pattern, QStringLiteral("0"));
    EXPECT_EQ(script.fieldText(1, QStringLiteral(" |0")), QStringLiteral(" |0"));
}

TEST(ScriptFile, FilledTemplatesGroupsAndCappedFieldNames)
{
    QTemporaryDir dir;
    QByteArray text = "[Options]\nMethode=1\n[SearchPage]\nUrl=http://s/?q=%1\nLink=2\n"
                      "[FilmPage]\nUrl=http://s/f/%1\nCount=200\nMatch1=Titre|<h1>(.*)</h1>\n"
                      "[ImgPage]\nUrl=http://s/i/%1.jpg\n";
    const ScriptFile script(writeTemp(dir, QStringLiteral("s.tvs"), text));
    EXPECT_TRUE(script.usesPost());
    EXPECT_EQ(script.searchUrl(QStringLiteral("Nord")), QStringLiteral("http://s/?q=Nord"));
    EXPECT_EQ(script.detailUrl(QStringLiteral("7")), QStringLiteral("http://s/f/7"));
    EXPECT_EQ(script.pictureUrl(QStringLiteral("7")), QStringLiteral("http://s/i/7.jpg"));
    EXPECT_EQ(script.linkGroup(), 1);
    EXPECT_EQ(script.fieldCount(), 200);
    const QStringList names = script.fieldNames();
    ASSERT_EQ(names.size(), ScriptFile::kMaxFieldCount);
    EXPECT_EQ(names.front(), QStringLiteral("Titre"));
    EXPECT_EQ(script.fieldText(QStringLiteral(" 1")), ScriptFile::kAbsentField); // a stored " 1" names no key
}

TEST(MappingFile, MappedFieldIsZeroUnlessANumberIsStored)
{
    QTemporaryDir dir;
    writeTemp(dir, QStringLiteral("Trouvel.ini"), "[Demo]\nCol1=3\nCol2=x\nCol3=\n");
    const MappingFile mapping = MappingFile::inFolder(dir.path());
    EXPECT_EQ(mapping.mappedField(QStringLiteral("Demo"), 1), 3);
    EXPECT_EQ(mapping.mappedField(QStringLiteral("Demo"), 2), 0);
    EXPECT_EQ(mapping.mappedField(QStringLiteral("Demo"), 3), 0);
    EXPECT_EQ(mapping.mappedField(QStringLiteral("Autre"), 1), 0);
    ASSERT_EQ(mapping.writeColumn(QStringLiteral("Demo"), 4, QStringLiteral("2")), QString());
    EXPECT_EQ(mapping.columnText(QStringLiteral("Demo"), 4), QStringLiteral("2"));
}

} // namespace
} // namespace trouvel::config
