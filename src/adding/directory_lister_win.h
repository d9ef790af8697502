// The folder walk's view of the Windows file system: wide API, extended-length paths where
// the classic limit would be passed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adding/folder_walk.h"

namespace quillory {

// The path in extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") when it is too
// long for the classic limit; otherwise unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

// Names of the files (never folders) of `folder` (with or without a final backslash) that
// match `pattern` ("*.doc") by the platform's wildcard rules, hidden and system files
// included, in the order the file system lists them.
std::vector<std::wstring> ListMatchingFiles(std::wstring folder, const std::wstring& pattern);

class WindowsDirectoryLister : public DirectoryLister {
 public:
  std::unique_ptr<FolderListing> Open(const std::string& folder) override;
  std::string Identity(const std::string& folder) override;
  std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& pattern) override;
};

}  // namespace quillory
