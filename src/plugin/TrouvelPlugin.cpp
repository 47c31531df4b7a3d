#include "TrouvelPlugin.h"

#include "common/QtTranslations.h"

#include "ui/MessageBoxInteraction.h"
#include "ModuleLocation.h"
#include "config/Settings.h"
#include "ui/ShowWizard.h"

#include <QApplication>

#include <atomic>
#include <exception>
#include <utility>

namespace trouvel::plugin {

namespace {

std::atomic<int> liveCount{0};

// Whatever fails inside a member, the host sees it as trouvel::Error, the boundary's
// only error type; its own exceptions thrown from host members included.
template <typename F>
decltype(auto) guarded(F&& body)
{
    try {
        return std::forward<F>(body)();
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(e.what());
    } catch (...) {
        throw Error("Erreur inconnue dans le module Trouvel");
    }
}

} // namespace

ModuleState& moduleState()
{
    thread_local ModuleState state;
    return state;
}

TrouvelPlugin::TrouvelPlugin()
{
    ++liveCount;
}

TrouvelPlugin::~TrouvelPlugin()
{
    // Once the last object is gone the host may unload the module: the host object must not
    // be kept past that point, or its release would run after its own code is gone.
    if (--liveCount == 0)
        moduleState().HostApp.reset();
}

int TrouvelPlugin::liveObjects()
{
    return liveCount.load();
}

void TrouvelPlugin::WhatIsIt(std::string& retour)
{
    guarded([&] { retour = "other"; });
}

void TrouvelPlugin::initme(std::int32_t& DebugWindowHwnd, std::shared_ptr<HostApplication>& aCadrelle)
{
    guarded([&] {
        ModuleState& state = moduleState();
        state.DebugWindowHwnd = DebugWindowHwnd;
        state.HostApp = aCadrelle;
    });
}

void TrouvelPlugin::ShowForm()
{
    guarded([&] {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            throw Error("Trouvel a besoin d'une QApplication dans le programme hôte");
        ModuleState& state = moduleState();
        if (!state.HostApp)
            throw Error("Aucun programme hôte : appelez initme avant ShowForm");
        // A later initme during the run must not release the host the window is working on.
        const std::shared_ptr<HostApplication> keepHost = state.HostApp;
        // Qt's buttons and socket errors in French, when the host has not seen to it.
        installQtFrenchTranslations();

        ui::Environment env;
        env.pluginFolder = moduleFolder();
        env.userFolder = userPluginFolder();
        env.workFolder = workFolderFor(env.pluginFolder, userCacheFolder());
        config::QSettingsStore settings;
        ui::MessageBoxInteraction messageBoxes;
        env.settings = &settings;
        env.ui = &messageBoxes;
        ui::ShowForm(state, env);
    });
}

std::string TrouvelPlugin::Name() const
{
    return "Trouvel";
}

std::string TrouvelPlugin::Description() const
{
    return "Reccuperez sur Internet les informations concernant les entrées de votre categorie";
}

std::string TrouvelPlugin::VersionMajor() const
{
    return TROUVEL_VERSION_MAJOR;
}

std::string TrouvelPlugin::VersionMinor() const
{
    return TROUVEL_VERSION_MINOR;
}

std::string TrouvelPlugin::VersionRevision() const
{
    return TROUVEL_VERSION_PATCH;
}

std::string TrouvelPlugin::AuthorUrl() const
{
    return "https://trouvel.example.org";
}

std::string TrouvelPlugin::Author() const
{
    return "L'équipe Trouvel";
}

std::string TrouvelPlugin::EMail() const
{
    return "trouvel@example.org";
}

} // namespace trouvel::plugin
