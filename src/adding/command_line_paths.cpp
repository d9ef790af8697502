#include "adding/command_line_paths.h"

#include "adding/name_pattern.h"

namespace quillory {

bool IsNamePattern(const std::string& path) {
  const size_t lastPart = path.find_last_of("\\/");
  return path.find_first_of("*?", lastPart == std::string::npos ? 0 : lastPart + 1) != std::string::npos;
}

std::string RelativeName(const std::string& document, const std::string& fullPath, bool folder) {
  if (folder) {
    const size_t root = fullPath.size() + (fullPath.empty() || fullPath.back() != '\\' ? 1 : 0);
    if (document.size() > root && document.starts_with(fullPath)) return document.substr(root);
  }
  const size_t lastPart = document.find_last_of("\\/");
  return lastPart == std::string::npos ? document : document.substr(lastPart + 1);
}

std::optional<std::vector<std::string>> DocumentsNamed(const std::string& fullPath, bool folder,
                                                       const std::string& extension, DirectoryLister& lister,
                                                       const KeepGoing& keepGoing) {
  if (folder) return GatherFolderEntries(fullPath, extension, lister, keepGoing);
  if (!IsNamePattern(fullPath)) return std::vector<std::string>{fullPath};

  // The platform's search takes wildcards in the last part only.
  const size_t lastPart = fullPath.find_last_of("\\/") + 1;
  const std::string parent = fullPath.substr(0, lastPart);
  const NamePattern pattern(fullPath.substr(lastPart), lister.Upcase());
  std::vector<std::string> documents;
  std::unique_ptr<FolderListing> listing = lister.Open(parent);
  if (!listing) return documents;
  FolderEntry entry;
  while (listing->Next(entry)) {
    if (!keepGoing()) return std::nullopt;
    if (!entry.folder && !entry.name.empty() && entry.name.front() != '~' &&  // as the folder press leaves them out
        pattern.Finds(entry.name, entry.shortName)) {
      documents.push_back(parent + entry.name);
    }
  }
  return documents;
}

}  // namespace quillory
