// The file system as both programs use it: existence, folders, extended-length paths, whole
// small files and full paths. Every function takes a full or relative path as typed and puts
// it in extended-length form itself where the classic limit would be passed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// The path in extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") when it is too
// long for the classic limit; otherwise unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

// True when the system gives the path's attributes: an existing file or folder, even one
// another program holds open. Every failure (no such path, empty or malformed path, missing
// drive, no access) is false and leaves no error behind.
bool FileExists(const std::wstring& path);

// True when the path names an existing folder.
bool IsFolder(const std::wstring& path);

// Makes the folder and any missing folder above it; a folder already there is fine. Empty
// when it is there; otherwise "FOLDER: reason" for the first folder that could not be made.
std::string MakeFolder(const std::wstring& folder);

// The bytes of a file of at most `limit` bytes; nothing when it cannot be read or is larger.
std::optional<std::string> ReadSmallFile(const std::wstring& path, size_t limit);

// Writes `bytes` as the whole content of the file at `path`, created or replaced (or only
// created, when `replace` is false: a file already there is left as it is and the write fails).
// Empty when it was written; otherwise the system's reason (UTF-8), and no partial file is left
// behind.
std::string WriteWholeFile(const std::wstring& path, std::string_view bytes, bool replace = true);

// `path` made full as the system does it (GetFullPathNameW): against the current folder and
// drive, "." and ".." resolved, full paths included; `path` itself when the system cannot.
std::wstring FullPath(const std::wstring& path);

// A name in the upper case the file system compares names in.
std::string UpperCaseName(const std::string& name);
// A path as the file system compares names: made full (FullPath), in its upper case.
std::string ComparablePath(const std::string& path);

// The folder of the running program file, without a final backslash.
std::wstring ApplicationFolder();

}  // namespace quillory
