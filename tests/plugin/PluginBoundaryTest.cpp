#include "LoadedModule.h"

#include "catalogue/CatalogueHost.h"

#include <thread>

namespace {

class Boundary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(module.handle, nullptr); }
    LoadedModule module;
};

TEST_F(Boundary, VersionIsCheckedBeforeAnObjectIsMade)
{
    EXPECT_EQ(module.version(), trouvel::kBoundaryVersion);
    EXPECT_EQ(module.create(trouvel::kBoundaryVersion + 1), nullptr);
    EXPECT_EQ(module.create(0), nullptr);
    EXPECT_EQ(module.canUnloadNow(), 1);
}

TEST_F(Boundary, UnloadIsAllowedOnlyOnceEveryObjectIsGone)
{
    trouvel::_Trouvel* a = module.create(trouvel::kBoundaryVersion);
    trouvel::_Trouvel* b = module.create(trouvel::kBoundaryVersion);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(module.canUnloadNow(), 0);
    module.destroy(a);
    EXPECT_EQ(module.canUnloadNow(), 0);
    module.destroy(b);
    EXPECT_EQ(module.canUnloadNow(), 1);
    module.destroy(nullptr); // harmless
}

TEST_F(Boundary, OnlyTheEntryPointsAreExported)
{
    // The module's own functions and those of the libraries linked into it stay private, so
    // two plug-ins built from different versions of them cannot clash in one host.
    for (const char* hidden : {"_ZN7trouvel6plugin11moduleStateEv", "_ZN7trouvel4text10decodeTextERK10QByteArray",
                               "_ZN7trouvel6wizard8ShowFormERNS_11ModuleStateERKNS0_11EnvironmentE"})
        EXPECT_EQ(dlsym(module.handle, hidden), nullptr) << hidden;
}

class WhatIsIt : public Boundary, public ::testing::WithParamInterface<const char*> {};

TEST_P(WhatIsIt, LeavesOtherInTheCallersVariable)
{
    PluginObject plugin(module);
    ASSERT_NE(plugin.object, nullptr);
    std::string retour = GetParam();
    plugin->WhatIsIt(retour);
    EXPECT_EQ(retour, "other");
}

INSTANTIATE_TEST_SUITE_P(Held, WhatIsIt, ::testing::Values("", "other", "plugin", "a much longer text held before the call, é"));

TEST_F(Boundary, DescriptiveTexts)
{
    PluginObject plugin(module);
    ASSERT_NE(plugin.object, nullptr);
    EXPECT_EQ(plugin->Name(), "Trouvel");
    EXPECT_EQ(plugin->Description(), "Reccuperez sur Internet les informations concernant les entrées de votre categorie");
    EXPECT_EQ(plugin->VersionMajor(), "1");
    EXPECT_EQ(plugin->VersionMinor(), "1");
    EXPECT_EQ(plugin->VersionRevision(), "2");
    EXPECT_FALSE(plugin->AuthorUrl().empty());
    EXPECT_FALSE(plugin->Author().empty());
    EXPECT_NE(plugin->EMail().find('@'), std::string::npos);
}

TEST_F(Boundary, ShowFormWithoutInitmeIsAnErrorOfItsThread)
{
    // initme on this thread does not reach another thread: each has its own module state.
    PluginObject plugin(module);
    ASSERT_NE(plugin.object, nullptr);
    cadrelle::Catalogue catalogue;
    std::shared_ptr<trouvel::HostApplication> host = std::make_shared<cadrelle::CatalogueHost>(catalogue, QString(), QString());
    std::int32_t hwnd = 7;
    plugin->initme(hwnd, host);
    EXPECT_EQ(hwnd, 7);

    std::string error;
    bool threw = false;
    std::thread other([&] {
        try {
            plugin->ShowForm();
        } catch (const trouvel::Error& e) {
            threw = true;
            error = e.what();
        }
    });
    other.join();
    EXPECT_TRUE(threw);
    EXPECT_NE(error.find("initme"), std::string::npos) << error;
}

} // namespace
