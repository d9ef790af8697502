#include "adding/folder_walk.h"

#include <unordered_set>

namespace quillory {

std::string FolderWithBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

bool ScanFolder(std::vector<std::string>& folders, bool recurse, DirectoryLister& lister,
                const KeepGoing& keepGoing) {
  struct Found {
    std::string path;
    bool link = false;
    bool walkedBefore = false;
  };
  // One queue holds the folders given and, behind them, every folder found: taking them in
  // order is the level-by-level order.
  std::vector<Found> queue;
  queue.reserve(folders.size());
  for (const std::string& folder : folders) queue.push_back({folder});
  const size_t given = folders.size();
  std::unordered_set<std::string> walked;

  // Telling folders apart is costly; without links no folder can come round twice.
  bool tellApart = false;

  for (size_t i = 0; i < queue.size(); ++i) {
    if (i >= given && !recurse) break;
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
      if (identity.empty() ? queue[i].link : !walked.insert(identity).second) {
        queue[i].walkedBefore = true;
        continue;
      }
    }

    std::unique_ptr<FolderListing> listing = lister.Open(queue[i].path);
    if (!keepGoing()) return false;
    if (!listing) continue;

    const std::string parent = queue[i].path;  // queue may grow below
    FolderEntry entry;
    while (listing->Next(entry)) {
      if (!keepGoing()) return false;
      if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
      if (!entry.folder || entry.hiddenOrSystem) continue;
      queue.push_back({parent + entry.name + '\\', entry.link});
    }
  }

  for (size_t i = given; i < queue.size(); ++i) {
    if (!queue[i].walkedBefore) folders.push_back(std::move(queue[i].path));
  }
  return true;
}

std::optional<std::vector<std::string>> GatherFolderEntries(const std::string& chosenFolder,
                                                            const std::string& extension,
                                                            DirectoryLister& lister,
                                                            const KeepGoing& keepGoing) {
  // The text typed is a file-name pattern: with a path separator in it the platform would
  // list another folder's files under this folder's name.
  if (extension.find_first_of("\\/") != std::string::npos) return std::vector<std::string>{};

  std::vector<std::string> folders{FolderWithBackslash(chosenFolder)};
  if (!ScanFolder(folders, true, lister, keepGoing)) return std::nullopt;

  const std::string pattern = "*." + extension;
  std::vector<std::string> entries;
  for (const std::string& folder : folders) {
    for (std::string& name : lister.MatchingFiles(folder, pattern)) {
      if (name.empty() || name.front() == '~') continue;  // Word's lock and temporary files
      entries.push_back(folder + name);
    }
  }
  return entries;
}

}  // namespace quillory
