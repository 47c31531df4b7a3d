// The proxy the tool's downloads go through: the one the reference host's Cadrelle.ini in
// the user's configuration folder names, or the one given by --proxy.
#pragma once

#include "net/WebSession.h"
#include "wizard/NetworkSettings.h"

#include <QString>

#include <memory>

#include <optional>

namespace trouvel::cli {

// $XDG_CONFIG_HOME/Cadrelle.ini (what cadrelle itself uses).
QString defaultCadrelleIni();

// For --proxy HOST:PORT: that proxy, as the host's profile would name it. Nothing, with
// *error set, when the value is not HOST:PORT.
std::optional<wizard::HostProxy> proxyOption(const QString& hostPort, QString* error);

class Arguments;
// The network options of a command line: --proxy, else the proxy of the user's Cadrelle.ini;
// --timeout in seconds. false, with *error set, when a value is wrong.
bool networkOptionsFrom(const Arguments& arguments, wizard::NetworkSettings* settings, QString* error);
// The run's web session, holding the cookies of --cookies FILE (cookies.txt) when given.
// false, with *error set, when the file cannot be read.
bool webSessionFrom(const Arguments& arguments, std::shared_ptr<net::WebSession>* web, QString* error);

// True for addresses whose host is the local machine (127.0.0.0/8, ::1, localhost).
bool isLoopbackAddress(const QString& url);

} // namespace trouvel::cli
