// What the mapping tests share: a host catalogue in a temporary working folder, script files
// written on the spot, and message boxes answered from a script of answers (an unexpected box
// fails the test).
#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueHost.h"
#include "common/UserInteraction.h"
#include "config/IniFile.h"
#include "mapping/ColumnMapping.h"
#include "support/ScriptedUi.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{' << list.join("\", \"").prepend('"').append('"').toStdString() << '}';
}
QT_END_NAMESPACE

namespace trouvel::mapping {
inline void PrintTo(const MappingRow& row, std::ostream* out)
{
    *out << '{' << row.columnName.toStdString() << " | " << row.nb.toStdString() << " | "
         << row.contenu.toStdString() << '}';
}
} // namespace trouvel::mapping

namespace trouvel::mapping::test {

class MappingFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        host = std::make_unique<cadrelle::CatalogueHost>(catalogue, dir.path(), dir.filePath("Cadrelle.ini"));
    }

    void addColumns(const QStringList& captions)
    {
        for (const QString& caption : captions)
            catalogue.addColumn(caption);
    }

    // A script file made of the given lines.
    QString writeScript(const QString& name, const QStringList& lines)
    {
        const QString path = dir.filePath(name + ".tvs");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write((lines.join("\r\n") + "\r\n").toUtf8());
        return path;
    }

    QString iniFile() const { return dir.filePath("Trouvel.ini"); }
    QString stored(const QString& section, const QString& key) const
    {
        return config::ReadIniString(iniFile(), section, key, "<missing>");
    }
    void store(const QString& section, const QString& key, const QString& value)
    {
        ASSERT_TRUE(config::WriteIniString(iniFile(), section, key, value));
    }

    QTemporaryDir dir;
    cadrelle::Catalogue catalogue;
    std::unique_ptr<cadrelle::CatalogueHost> host;
    // Every box needs a queued answer; one without fails the test.
    trouvel::test::ScriptedUi ui{
        [](const QString& text) { ADD_FAILURE() << "unexpected message box: " << text.toStdString(); }};
};

} // namespace trouvel::mapping::test
