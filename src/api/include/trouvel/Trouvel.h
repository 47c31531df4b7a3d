// Trouvel plug-in boundary: what a catalogue host needs to load and drive Trouvel.
//
// A host loads Trouvel.so with dlopen (RTLD_LOCAL), checks the boundary version,
// creates the plug-in object with trouvel_create and talks to it through _Trouvel.
// The plug-in talks back to the host through the abstract host classes below,
// which the host implements.
//
// Conventions of the boundary:
//  - Text is UTF-8 in std::string.
//  - Entry and column indexes are 1-based and 16-bit, as the plug-in counts them.
//  - Booleans are plain bool on this side; the plug-in handles its 16-bit flags itself.
//  - Errors, in both directions, are thrown as trouvel::Error. A host member that
//    fails throws trouvel::Error; a plug-in member that fails throws trouvel::Error
//    to the host. The extern "C" entry points never throw.
//  - The host must run a QApplication (Qt 6, the same Qt the plug-in was built
//    against) on the thread that calls ShowForm.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// The plug-in is built with hidden symbols; what crosses the boundary stays visible so that
// both sides agree on the classes (exceptions are caught by type).
#if defined(__GNUC__)
#define TROUVEL_VISIBLE __attribute__((visibility("default")))
#else
#define TROUVEL_VISIBLE
#endif

namespace trouvel {

// Version of this header's contract; trouvel_create refuses any other.
constexpr int kBoundaryVersion = 1;

// The one error type that crosses the boundary.
class TROUVEL_VISIBLE Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One entry of the host's catalogue list (a row of its list view).
class TROUVEL_VISIBLE ListItem {
public:
    virtual ~ListItem() = default;
    virtual bool Selected() const = 0;
    virtual void Selected(bool selected) = 0;
    // The entry's first column; the plug-in uses it as the film title.
    virtual std::string Text() const = 0;
    virtual void Text(const std::string& text) = 0;
    // Column k + 1 of the entry, for k from 1 to ColCount() - 1.
    virtual std::string SubItems(std::int16_t k) const = 0;
    virtual void SubItems(std::int16_t k, const std::string& text) = 0;
    // File name, inside tmpfolder(), of the entry's picture; empty when none.
    virtual std::string Tag() const = 0;
    virtual void Tag(const std::string& tag) = 0;
};

// The entries of the list view, counted from 1.
class TROUVEL_VISIBLE ListItemCollection {
public:
    virtual ~ListItemCollection() = default;
    virtual std::int32_t Count() const = 0;
    // Entry i (1-based). Throws trouvel::Error when there is no such entry.
    virtual ListItem& Item(std::int16_t& i) = 0;
    ListItem& operator()(std::int16_t& i) { return Item(i); }
};

// The host's list view in report form.
class TROUVEL_VISIBLE ListView {
public:
    virtual ~ListView() = default;
    virtual ListItemCollection& ListItems() = 0;
    // Caption of column k, for k from 1 to ColCount(). Throws trouvel::Error beyond.
    virtual std::string ColumnHeaders(std::int16_t k) const = 0;
};

// The host application object handed to the plug-in by initme.
class TROUVEL_VISIBLE HostApplication {
public:
    virtual ~HostApplication() = default;
    virtual ListView& MyLV() = 0;
    virtual std::int32_t ItemsCount() const = 0;
    virtual std::int32_t ColCount() const = 0;
    // The host's working folder, without a trailing slash: holds Trouvel.ini and the pictures.
    virtual std::string tmpfolder() const = 0;
    // Full path of the host's own profile file (section "Internet": proxy settings).
    virtual std::string CadrelleIni() const = 0;
    // Tells the host that its list changed and must be saved.
    virtual void ilfautsauver(bool mustSave) = 0;
};

// The plug-in object. Members in their fixed order; every member may throw trouvel::Error.
class TROUVEL_VISIBLE _Trouvel {
public:
    // Stores "other" into retour.
    virtual void WhatIsIt(std::string& retour) = 0;
    // Hands over the host; a later call replaces it. The plug-in keeps it, per thread, until
    // then or until the module's last object is released with trouvel_destroy.
    virtual void initme(std::int32_t& DebugWindowHwnd, std::shared_ptr<HostApplication>& aCadrelle) = 0;
    // Shows the wizard modally; returns when it has closed. Throws trouvel::Error when the
    // window cannot open (no host yet, or a host member failed while it loaded).
    virtual void ShowForm() = 0;
    virtual std::string Name() const = 0;
    virtual std::string Description() const = 0;
    virtual std::string VersionMajor() const = 0;
    virtual std::string VersionMinor() const = 0;
    virtual std::string VersionRevision() const = 0;
    virtual std::string AuthorUrl() const = 0;
    virtual std::string Author() const = 0;
    virtual std::string EMail() const = 0;

protected:
    // Objects are released with trouvel_destroy, never deleted by the host.
    virtual ~_Trouvel() = default;
};

} // namespace trouvel

extern "C" {
// The boundary version the module was built with (kBoundaryVersion).
TROUVEL_VISIBLE int trouvel_boundary_version(void);
// A new plug-in object, or nullptr when hostBoundaryVersion differs from the module's
// or the object cannot be made. Never throws.
TROUVEL_VISIBLE trouvel::_Trouvel* trouvel_create(int hostBoundaryVersion);
// Releases an object made by trouvel_create. Never throws.
TROUVEL_VISIBLE void trouvel_destroy(trouvel::_Trouvel* object);
// 1 when no object made by trouvel_create is left, so the host may dlclose the module.
TROUVEL_VISIBLE int trouvel_can_unload_now(void);
}

using trouvel_boundary_version_fn = int (*)(void);
using trouvel_create_fn = trouvel::_Trouvel* (*)(int);
using trouvel_destroy_fn = void (*)(trouvel::_Trouvel*);
using trouvel_can_unload_now_fn = int (*)(void);
