// Starting another program.
#pragma once

#include <string>

namespace quillory {

// Starts the command line (UTF-8) minimised and does not wait for it; false when it could
// not be started.
bool LaunchMinimized(const std::string& commandLine);

}  // namespace quillory
