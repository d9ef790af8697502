// LibreOffice run on Windows, in a job killed with the instance's process.
#pragma once

#include <string>

#include "engine_choice.h"

namespace standin {

// Converts `source`, in the instance's in folder, into its out folder; LibreOffice's exit
// status (kOfficeNotFound when it is not installed, kOfficeOverdue), or -1 with the reason.
int RunOfficeOnWindows(const EngineChoice& choice, const std::string& source, std::string* reason);

}  // namespace standin
