// State the plug-in keeps between calls, once per thread: the host object handed over by
// initme and the wizard's current entry, script and stop flag, which outlive one window.
#pragma once

#include <trouvel/Trouvel.h>

#include <QString>

#include <cstdint>
#include <memory>

namespace trouvel {

// 16-bit booleans as the plug-in stores them.
constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

struct ModuleState {
    std::shared_ptr<HostApplication> HostApp;
    std::int32_t DebugWindowHwnd = 0;
    // 1-based index of the host entry the wizard works on; 0 before the first run.
    std::int16_t CurrentItem = 0;
    // Full path of the loaded retrieval script; empty until the first load.
    QString ScriptPath;
    // Set by the window to end a running page fetch; cleared by each fetch as it starts.
    std::int16_t StopDownload = kFalse;
};

} // namespace trouvel
