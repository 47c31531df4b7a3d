// Everything a wizard test needs: a plug-in folder with scripts, a work folder, a host folder
// with Trouvel.ini, a fake host, scripted message boxes, a settings store in memory and the
// loopback site, plus the engine wired to the real network layer.
#pragma once

#include "support/FakeHost.h"
#include "support/ScriptedUi.h"
#include "support/TestSite.h"

#include "common/ModuleState.h"
#include "common/UserInteraction.h"
#include "config/MemorySettings.h"
#include "wizard/WizardEngine.h"

#include <QHash>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace trouvel::wizard::test {

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
    trouvel::test::ScriptedUi ui; // Yes when no answer is queued
    config::MemorySettings settings;
    ModuleState state;
    std::shared_ptr<FakeHost> host;
    TestSite site;
    QStringList ambiguous, absent;
    int mappingDialogs = 0;
    bool mappingDialogFails = false; // the dialog throws as a failing host member would
    bool mappingDialogChanges = true; // what the dialog says: the mapping was changed
    int closeRequests = 0;
    int timeLimitMs = 0; // the page client's limit; 0: its default
    std::vector<WalkSummary> walkSummaries; // each one the walk showed
    std::vector<std::int64_t> pauses; // each wait before a new try, in ms; it returns at once
    bool pausesComplete = true;       // false: each wait ends as if Stop was clicked
    std::shared_ptr<net::WebSession> web; // the last services()' session
    std::unique_ptr<WizardEngine> engine_;
};

QByteArray pngBytes();

} // namespace trouvel::wizard::test
