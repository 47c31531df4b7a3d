// The network options the wizard is handed when it is made: the host's proxy as its profile
// file names it, and the downloads' time limit. The plug-in reads them from the host's
// profile and the per-user settings; the command-line tool from its options.
#pragma once

#include "config/Settings.h"
#include "net/NetOptions.h"

#include <QString>

#include <optional>

namespace trouvel::wizard {

// The "Internet" section of the host's profile, as written there: the page client checks
// the host and port itself when it connects.
struct HostProxy {
    bool use = false;
    QString host;
    QString port;
};

struct NetworkSettings {
    HostProxy proxy;
    int timeLimitMs = net::kDefaultTimeLimitMs;
};

// From the host's profile file (section "Internet": UseProxy, HostProxy, PortProxy).
HostProxy readHostProxy(const QString& hostIni);

// A time limit given in seconds ("1.5" or "1,5"), from 0.001 to 3600: in milliseconds, at
// least 1. Nothing for any other text.
std::optional<int> timeLimitFromSeconds(const QString& text);

// The per-user time limit ("Trouvel", "Options", "TimeOut"); the default when it is missing
// or not a valid number of seconds.
int storedTimeLimitMs(config::SettingsStore& settings);

// Both, as the plug-in hands them to the wizard.
NetworkSettings readNetworkSettings(const QString& hostIni, config::SettingsStore& settings);

// The picture download's options: the page client's proxy, when it is complete, and the limit.
net::NetOptions pictureOptions(const NetworkSettings& settings);

} // namespace trouvel::wizard
