// The folder walk's view of the Windows file system: wide API, extended-length paths where
// the classic limit would be passed (platform/files).
#pragma once

#include <memory>
#include <string>

#include "adding/folder_walk.h"

namespace quillory {

class WindowsDirectoryLister : public DirectoryLister {
 public:
  std::unique_ptr<FolderListing> Open(const std::string& folder) override;
  std::string Identity(const std::string& folder) override;
  UpcaseChar Upcase() const override;
};

}  // namespace quillory
