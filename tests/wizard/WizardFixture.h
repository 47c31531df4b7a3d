// Everything a wizard test needs: a plug-in folder with scripts, a work folder, a host folder
// with Trouvel.ini, a fake host, scripted message boxes, a settings store in memory and the
// loopback site, plus the engine wired to the real network layer.
#pragma once

#include "FakeHost.h"
#include "TestSite.h"

#include "common/ModuleState.h"
#include "common/UserInteraction.h"
#include "config/Settings.h"
#include "wizard/WizardEngine.h"

#include <QHash>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace trouvel::wizard::test {

class ScriptedUi : public UserInteraction {
public:
    QStringList messages;
    std::deque<MsgAnswer> answers; // consumed by YesNo boxes; Yes when empty
    int beeps = 0;
    MsgAnswer messageBox(const QString& text, MsgButtons buttons) override
    {
        messages.append(text);
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty())
            return MsgAnswer::Yes;
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }
};

class MemorySettings : public config::SettingsStore {
public:
    QHash<QString, QString> values; // "section/key"
    QString GetSetting(const QString&, const QString& section, const QString& key, const QString& def) override
    {
        return values.value(section + u'/' + key, def);
    }
    void SaveSetting(const QString&, const QString& section, const QString& key, const QString& value) override
    {
        values.insert(section + u'/' + key, value);
    }
};

// The site's pages: "Film N" finds film N once; a title listed in `ambiguous` finds two films;
// a title in `absent` finds none. Film N's page has a title, a year, a summary and a picture.
class WizardTest : public ::testing::Test {
protected:
    WizardTest();

    // Writes scripts/<name>.tvs; "%SITE%" becomes the site's address.
    QString writeScript(const QString& name, const QString& content);
    QString writeDemoScript(const QString& name = QStringLiteral("Demo"));
    void writeMapping(const QString& section, const QString& lines);
    void makeHost(int entries, int columns = 3);
    WizardServices services();
    WizardEngine& engine(); // made on first use
    QString hostFile(const QString& name) const;

    QTemporaryDir root;
    QString pluginFolder, workFolder, hostFolder;
    ScriptedUi ui;
    MemorySettings settings;
    ModuleState state;
    std::shared_ptr<FakeHost> host;
    TestSite site;
    QStringList ambiguous, absent;
    int mappingDialogs = 0;
    bool mappingDialogFails = false; // the dialog throws as a failing host member would
    int closeRequests = 0;
    std::unique_ptr<WizardEngine> engine_;
};

QByteArray pngBytes();

} // namespace trouvel::wizard::test
