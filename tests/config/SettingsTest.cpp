#include "config/Settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::config;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = qgetenv("XDG_CONFIG_HOME");
        hadPrevious_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    }
    void TearDown() override
    {
        if (hadPrevious_)
            qputenv("XDG_CONFIG_HOME", previous_);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    QTemporaryDir home;

private:
    QByteArray previous_;
    bool hadPrevious_ = false;
};

TEST_F(SettingsStoreTest, SavedValueSurvivesANewStore)
{
    QSettingsStore().SaveSetting("Trouvel", "Options", "NBIndex", "3");
    QSettingsStore store;
    EXPECT_EQ(store.GetSetting("Trouvel", "Options", "NBIndex", "0"), "3");
    EXPECT_EQ(store.GetSetting("Trouvel", "Options", "Other", "0"), "0");
    EXPECT_EQ(store.GetSetting("Trouvel", "Elsewhere", "NBIndex", "d"), "d");
    EXPECT_EQ(store.GetSetting("Autre", "Options", "NBIndex", "d"), "d");
    EXPECT_TRUE(QFile::exists(home.filePath("Trouvel/Trouvel.conf")));
}

TEST_F(SettingsStoreTest, MissingStoreGivesDefault)
{
    EXPECT_EQ(QSettingsStore().GetSetting("Trouvel", "Options", "NBIndex", "0"), "0");
    EXPECT_FALSE(QFile::exists(home.filePath("Trouvel/Trouvel.conf")));
}

} // namespace
