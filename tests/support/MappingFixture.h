// What the mapping tests share: a host catalogue in a temporary working folder, script files
// written on the spot, and message boxes answered from a script of answers.
#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueHost.h"
#include "common/UserInteraction.h"
#include "config/IniFile.h"
#include "mapping/ColumnMapping.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <vector>

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

// Answers message boxes in order; an unexpected box fails the test and answers Cancel
// (No for Yes/No), which never closes anything.
class ScriptedUserInteraction : public UserInteraction {
public:
    MsgAnswer messageBox(const QString& text, MsgButtons buttons = MsgButtons::Ok) override
    {
        texts.append(text);
        this->buttons.push_back(buttons);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << text.toStdString();
            return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Cancel;
        }
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override {}

    std::deque<MsgAnswer> answers;
    QStringList texts;
    std::vector<MsgButtons> buttons;
};

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
    ScriptedUserInteraction ui;
};

} // namespace trouvel::mapping::test
