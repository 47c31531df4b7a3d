// A plug-in module loaded the way Cadrelle loads them: dlopen with RTLD_LOCAL, boundary
// version checked, one plug-in object created and its descriptive properties read.
#pragma once

#include <trouvel/Trouvel.h>

#include <QString>

#include <memory>

namespace cadrelle {

struct PluginInfo {
    QString kind; // what WhatIsIt stored
    QString name;
    QString description;
    QString version; // "major.minor.revision"
    QString author;
    QString authorUrl;
    QString email;
};

class PluginModule {
public:
    // Loads the module file at path. nullptr when it cannot be used; error then says why.
    static std::unique_ptr<PluginModule> load(const QString& path, QString& error);
    // Releases the object, and unloads the module when it reports that nothing is left.
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    const QString& path() const { return path_; }
    const PluginInfo& info() const { return info_; }
    trouvel::_Trouvel& object() { return *object_; }

    // initme then ShowForm. Returns an empty string, or the plug-in's error message.
    QString run(const std::shared_ptr<trouvel::HostApplication>& host);

private:
    PluginModule() = default;

    QString path_;
    void* handle_ = nullptr;
    trouvel::_Trouvel* object_ = nullptr;
    trouvel_destroy_fn destroy_ = nullptr;
    trouvel_can_unload_now_fn canUnloadNow_ = nullptr;
    PluginInfo info_;
};

} // namespace cadrelle
