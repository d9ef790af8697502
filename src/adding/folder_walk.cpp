#include "adding/folder_walk.h"

#include <unordered_set>

namespace quillory {
namespace {

// Walks the folders of `folders` and, with `recurse`, every folder below them, level by level,
// listing each folder once: its subfolders join the walk, its files go to `onFile` (with the
// folder's path). Appends the folders found to `folders`; false, `folders` unchanged, when
// `keepGoing` asked to stop.
template <typename OnFile>
bool Walk(std::vector<std::string>& folders, bool recurse, DirectoryLister& lister, const KeepGoing& keepGoing,
          OnFile onFile) {
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

  FolderEntry entry;
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
    while (listing->Next(entry)) {
      if (!keepGoing()) return false;
      if (!entry.folder) {
        onFile(parent, entry);
      } else if (!entry.hiddenOrSystem && !entry.name.empty() && entry.name != "." && entry.name != "..") {
        queue.push_back({parent + entry.name + '\\', entry.link});
      }
    }
  }

  for (size_t i = given; i < queue.size(); ++i) {
    if (!queue[i].walkedBefore) folders.push_back(std::move(queue[i].path));
  }
  return true;
}

}  // namespace

std::string FolderWithBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

bool ScanFolder(std::vector<std::string>& folders, bool recurse, DirectoryLister& lister,
                const KeepGoing& keepGoing) {
  return Walk(folders, recurse, lister, keepGoing, [](const std::string&, const FolderEntry&) {});
}

std::optional<std::vector<std::string>> GatherFolderEntries(const std::string& chosenFolder,
                                                            const std::string& extension,
                                                            DirectoryLister& lister,
                                                            const KeepGoing& keepGoing) {
  const NamePattern pattern("*." + extension, lister.Upcase());
  std::vector<std::string> folders{FolderWithBackslash(chosenFolder)};
  std::vector<std::string> entries;
  const bool ended = Walk(folders, true, lister, keepGoing, [&](const std::string& folder, const FolderEntry& file) {
    if (file.name.empty() || file.name.front() == '~') return;  // Word's lock and temporary files
    if (pattern.Finds(file.name, file.shortName)) entries.push_back(folder + file.name);
  });
  if (!ended) return std::nullopt;
  return entries;
}

}  // namespace quillory
