// LibreOffice run under Wine, watched: it dies with the instance, whose process a watcher
// beside it polls, since a Unix child outlives the Windows process that started it.
#pragma once

#include <string>

#include "engine_choice.h"
#include "wine_bridge_win.h"

namespace standin {

// The bridge's exit status when no LibreOffice Python bridge (UNO) is installed.
inline constexpr int kNoBridge = 125;

// Converts `source`, in the instance's in folder, into its out folder with a soffice of its
// own; its exit status (kOfficeNotFound, kOfficeOverdue), or -1 with the reason.
int RunOfficeUnderWine(const WineCalls& wine, const EngineChoice& choice, const std::string& source,
                       std::string* reason);

// The same through the LibreOffice kept running by office_bridge.py, which prints which one
// converted it ("Office: <process> <documents>"); kNoBridge when there is no bridge.
int RunBridgeUnderWine(const WineCalls& wine, const EngineChoice& choice, const std::string& source,
                       std::string* reason);

}  // namespace standin
