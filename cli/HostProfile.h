// The host profile file the tool reads its proxy from: the reference host's Cadrelle.ini in
// the user's configuration folder, or one written for this run by --proxy.
#pragma once

#include <QString>

namespace trouvel::cli {

// $XDG_CONFIG_HOME/Cadrelle.ini (what cadrelle itself uses).
QString defaultCadrelleIni();

// For --proxy HOST:PORT: writes folder/Cadrelle.ini with section "Internet" naming that
// proxy and returns its path. "" with *error set when the value is not HOST:PORT.
QString writeProxyProfile(const QString& hostPort, const QString& folder, QString* error);

// True for addresses whose host is the local machine (127.0.0.0/8, ::1, localhost).
bool isLoopbackAddress(const QString& url);

} // namespace trouvel::cli
