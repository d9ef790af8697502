// What the window needs to know of the file system.
#pragma once

#include <string>
#include <string_view>

namespace quillory {

// True when the file system can tell the last-change time of the path: an existing file or
// folder. Every failure (no such path, empty or malformed path, missing drive, no access)
// is false and leaves no error behind.
bool FileExists(const std::wstring& path);

// Writes `bytes` as the whole content of the file at `path`, created or replaced (or only
// created, when `replace` is false: a file already there is left as it is and the write fails).
// Empty when it was written; otherwise the system's reason (UTF-8), and no partial file is left
// behind.
std::string WriteWholeFile(const std::wstring& path, std::string_view bytes, bool replace = true);

// `path` made full against the current folder (".." and "." resolved); `path` itself when the
// system cannot make it full.
std::wstring FullPath(const std::wstring& path);

// The folder of the running program file, without a final backslash.
std::wstring ApplicationFolder();

}  // namespace quillory
