#include "PluginModule.h"

#include <QFile>

#include <dlfcn.h>

#include <exception>

namespace cadrelle {

namespace {

QString text(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

template <typename Fn>
Fn symbol(void* handle, const char* name)
{
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

} // namespace

std::unique_ptr<PluginModule> PluginModule::load(const QString& path, QString& error)
{
    std::unique_ptr<PluginModule> module(new PluginModule());
    module->path_ = path;
    dlerror();
    module->handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (module->handle_ == nullptr) {
        const char* why = dlerror();
        error = QStringLiteral("Impossible de charger « %1 » : %2").arg(path, QString::fromLocal8Bit(why ? why : "?"));
        return nullptr;
    }
    auto version = symbol<trouvel_boundary_version_fn>(module->handle_, "trouvel_boundary_version");
    auto create = symbol<trouvel_create_fn>(module->handle_, "trouvel_create");
    module->destroy_ = symbol<trouvel_destroy_fn>(module->handle_, "trouvel_destroy");
    module->canUnloadNow_ = symbol<trouvel_can_unload_now_fn>(module->handle_, "trouvel_can_unload_now");
    if (!version || !create || !module->destroy_ || !module->canUnloadNow_) {
        error = QStringLiteral("« %1 » n'est pas un module Trouvel (points d'entrée absents)").arg(path);
        return nullptr;
    }
    if (const int v = version(); v != trouvel::kBoundaryVersion) {
        error = QStringLiteral("« %1 » suit la version %2 de l'interface des modules, Cadrelle la version %3")
                    .arg(path)
                    .arg(v)
                    .arg(trouvel::kBoundaryVersion);
        return nullptr;
    }
    module->object_ = create(trouvel::kBoundaryVersion);
    if (module->object_ == nullptr) {
        error = QStringLiteral("« %1 » n'a pas pu créer son objet").arg(path);
        return nullptr;
    }
    try {
        trouvel::_Trouvel& o = *module->object_;
        std::string kind;
        o.WhatIsIt(kind);
        PluginInfo& info = module->info_;
        info.kind = text(kind);
        info.name = text(o.Name());
        info.description = text(o.Description());
        info.version = text(o.VersionMajor()) + u'.' + text(o.VersionMinor()) + u'.' + text(o.VersionRevision());
        info.author = text(o.Author());
        info.authorUrl = text(o.AuthorUrl());
        info.email = text(o.EMail());
    } catch (const std::exception& e) {
        error = QStringLiteral("« %1 » : %2").arg(path, QString::fromUtf8(e.what()));
        return nullptr;
    }
    return module;
}

PluginModule::~PluginModule()
{
    if (object_ != nullptr)
        destroy_(object_);
    // A module with thread-local state stays mapped after dlclose anyway; asking first keeps
    // a module that still holds objects (made by someone else) from being pulled away.
    if (handle_ != nullptr && (canUnloadNow_ == nullptr || canUnloadNow_() == 1))
        dlclose(handle_);
}

QString PluginModule::run(const std::shared_ptr<trouvel::HostApplication>& host)
{
    try {
        std::int32_t debugWindow = 0;
        std::shared_ptr<trouvel::HostApplication> given = host;
        object_->initme(debugWindow, given);
        object_->ShowForm();
        return {};
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erreur inconnue dans le module");
    }
}

} // namespace cadrelle
