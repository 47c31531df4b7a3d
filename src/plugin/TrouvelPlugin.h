// The plug-in object a host creates with trouvel_create.
#pragma once

#include "common/ModuleState.h"

#include <trouvel/Trouvel.h>

namespace trouvel::plugin {

// The module state of the calling thread: it outlives every object and every wizard run.
ModuleState& moduleState();

class TrouvelPlugin final : public _Trouvel {
public:
    TrouvelPlugin();
    ~TrouvelPlugin() override;

    void WhatIsIt(std::string& retour) override;
    void initme(std::int32_t& DebugWindowHwnd, std::shared_ptr<HostApplication>& aCadrelle) override;
    void ShowForm() override;
    std::string Name() const override;
    std::string Description() const override;
    std::string VersionMajor() const override;
    std::string VersionMinor() const override;
    std::string VersionRevision() const override;
    std::string AuthorUrl() const override;
    std::string Author() const override;
    std::string EMail() const override;

    // Objects alive in the module, for trouvel_can_unload_now.
    static int liveObjects();
};

} // namespace trouvel::plugin
