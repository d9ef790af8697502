// What the window needs to know of the file system.
#pragma once

#include <string>

namespace quillory {

// True when the file system can tell the last-change time of the path: an existing file or
// folder. Every failure (no such path, empty or malformed path, missing drive, no access)
// is false and leaves no error behind.
bool FileExists(const std::wstring& path);

// The folder of the running program file, without a final backslash.
std::wstring ApplicationFolder();

}  // namespace quillory
