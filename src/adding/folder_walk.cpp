#include "adding/folder_walk.h"

#include <unordered_set>

namespace quillory {
namespace {

// The folder with one backslash at its end; a drive root ("C:\") keeps its own.
std::string FolderWithBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

std::optional<std::vector<std::string>> GatherFolderEntries(const std::string& chosenFolder,
                                                            const std::string& extension,
                                                            DirectoryLister& lister,
                                                            const KeepGoing& keepGoing) {
  const NamePattern pattern("*." + extension, lister.Upcase());
  // One queue holds the chosen folder and, behind it, every folder found: taking them in
  // order is the level-by-level order.
  struct Folder {
    std::string path;
    bool link = false;
  };
  std::vector<Folder> queue{{FolderWithBackslash(chosenFolder)}};
  std::unordered_set<std::string> walked;
  // Telling folders apart is costly; without links no folder can come round twice.
  bool tellApart = false;
  std::vector<std::string> entries;
  FolderEntry entry;
  for (size_t i = 0; i < queue.size(); ++i) {
    if (queue[i].link && !tellApart) {
      tellApart = true;
      for (size_t j = 0; j < i; ++j) {
        if (std::string identity = lister.Identity(queue[j].path); !identity.empty()) walked.insert(std::move(identity));
      }
    }
    if (tellApart) {
      const std::string identity = lister.Identity(queue[i].path);
      // A folder reached a second time (through a link) is neither walked nor listed again.
      // A link whose target cannot be told apart is not followed.
      if (identity.empty() ? queue[i].link : !walked.insert(identity).second) continue;
    }

    std::unique_ptr<FolderListing> listing = lister.Open(queue[i].path);
    if (!keepGoing()) return std::nullopt;
    if (!listing) continue;

    const std::string parent = queue[i].path;  // queue may grow below
    while (listing->Next(entry)) {
      if (!keepGoing()) return std::nullopt;
      if (entry.folder) {
        if (!entry.hiddenOrSystem && !entry.name.empty() && entry.name != "." && entry.name != "..") {
          queue.push_back({parent + entry.name + '\\', entry.link});
        }
      } else if (!entry.name.empty() && entry.name.front() != '~' &&  // not Word's lock and temporary files
                 pattern.Finds(entry.name, entry.shortName)) {
        entries.push_back(parent + entry.name);
      }
    }
  }
  return entries;
}

}  // namespace quillory
