// LibreOffice run under Wine, watched: it dies with the instance, whose process a watcher
// beside it polls, since a Unix child outlives the Windows process that started it.
#pragma once

#include <string>

#include "engine_choice.h"
#include "wine_bridge_win.h"

namespace standin {

// Converts `source`, in the instance's in folder, into its out folder; LibreOffice's exit
// status (kOfficeNotFound, kOfficeOverdue), or -1 with the reason.
int RunOfficeUnderWine(const WineCalls& wine, const EngineChoice& choice, const std::string& source,
                       std::string* reason);

}  // namespace standin
