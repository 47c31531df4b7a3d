// Trouvel.so of the build tree as a host loads it: dlopen with RTLD_LOCAL, entry points by name.
#pragma once

#include <trouvel/Trouvel.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

struct LoadedModule {
    LoadedModule()
    {
        handle = dlopen(path().c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            ADD_FAILURE() << dlerror();
        version = entry<trouvel_boundary_version_fn>("trouvel_boundary_version");
        create = entry<trouvel_create_fn>("trouvel_create");
        destroy = entry<trouvel_destroy_fn>("trouvel_destroy");
        canUnloadNow = entry<trouvel_can_unload_now_fn>("trouvel_can_unload_now");
    }
    ~LoadedModule()
    {
        if (handle != nullptr)
            dlclose(handle);
    }
    static std::string path() { return TROUVEL_BINARY_DIR "/plugins/Trouvel/Trouvel.so"; }

    template <typename Fn>
    Fn entry(const char* name)
    {
        auto fn = handle ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
        if (fn == nullptr)
            ADD_FAILURE() << "missing entry point " << name;
        return fn;
    }

    void* handle = nullptr;
    trouvel_boundary_version_fn version = nullptr;
    trouvel_create_fn create = nullptr;
    trouvel_destroy_fn destroy = nullptr;
    trouvel_can_unload_now_fn canUnloadNow = nullptr;
};

// One plug-in object, released with the module's own trouvel_destroy.
struct PluginObject {
    explicit PluginObject(LoadedModule& m) : module(m), object(m.create(trouvel::kBoundaryVersion)) {}
    ~PluginObject()
    {
        if (object != nullptr)
            module.destroy(object);
    }
    trouvel::_Trouvel* operator->() { return object; }

    LoadedModule& module;
    trouvel::_Trouvel* object;
};
