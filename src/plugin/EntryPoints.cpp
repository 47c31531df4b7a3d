// The module's C entry points: nothing may escape them, whatever fails inside.
#include "TrouvelPlugin.h"

#include <trouvel/Trouvel.h>

#include <new>

extern "C" {

int trouvel_boundary_version(void)
{
    return trouvel::kBoundaryVersion;
}

trouvel::_Trouvel* trouvel_create(int hostBoundaryVersion)
{
    if (hostBoundaryVersion != trouvel::kBoundaryVersion)
        return nullptr;
    try {
        return new trouvel::plugin::TrouvelPlugin();
    } catch (...) {
        return nullptr;
    }
}

void trouvel_destroy(trouvel::_Trouvel* object)
{
    // Destructors do not throw; deleting a null pointer does nothing.
    delete static_cast<trouvel::plugin::TrouvelPlugin*>(object);
}

int trouvel_can_unload_now(void)
{
    return trouvel::plugin::TrouvelPlugin::liveObjects() == 0 ? 1 : 0;
}

} // extern "C"
