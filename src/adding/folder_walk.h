// The folder walk of " Add All Word Doc Files In Folder": every folder of a tree, level by
// level, then the matching files of each. The file system is reached through a small lister
// so that the order and the rules can be tested without one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

struct FolderEntry {
  std::string name;
  bool folder = false;
  bool hiddenOrSystem = false;
  bool link = false;  // a junction, symbolic link or other reparse point
};

// One folder being listed.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // The next entry in the order the file system lists them; false at the end, or when the
  // listing fails on the way.
  virtual bool Next(FolderEntry& entry) = 0;
};

class DirectoryLister {
 public:
  virtual ~DirectoryLister() = default;
  // Starts listing a folder (its path ends in a backslash); null when it cannot be listed.
  virtual std::unique_ptr<FolderListing> Open(const std::string& folder) = 0;
  // What tells the folder apart from every other one (volume and file number, links
  // followed); empty when it cannot be told.
  virtual std::string Identity(const std::string& folder) = 0;
  // Names of the files (never folders) of `folder` (ends in a backslash) that match
  // `pattern` by the platform's wildcard rules, hidden and system ones included, in listing
  // order; empty when none match or the folder cannot be listed.
  virtual std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& pattern) = 0;
};

// Called at every directory entry of the walk so the window's waiting messages run; false
// means stop at once (the window was closed).
using KeepGoing = std::function<bool()>;

// The folder with one backslash at its end; a drive root ("C:\") keeps its own.
std::string FolderWithBackslash(std::string folder);

// Appends to `folders` (each ending in a backslash) the folders below them: with `recurse`
// the whole depth, level by level (the direct subfolders in listing order, then theirs
// grouped by parent, and so on); without it only the direct subfolders. Hidden and system
// folders are never walked, and no folder is walked twice (a link back into the tree would
// loop forever): once the walk meets a link, every folder is told apart by its identity (a
// tree without links never pays for it). A folder that cannot be listed is kept but adds
// nothing. False when `keepGoing` asked to stop; `folders` is then unchanged.
bool ScanFolder(std::vector<std::string>& folders, bool recurse, DirectoryLister& lister,
                const KeepGoing& keepGoing);

// Everything one press adds for `chosenFolder` and the extension as typed: the files matching
// "*." + extension in each folder of the tree, in folder order, leaving out names that begin
// with "~". Nothing (nullopt) when `keepGoing` asked to stop.
std::optional<std::vector<std::string>> GatherFolderEntries(const std::string& chosenFolder,
                                                            const std::string& extension,
                                                            DirectoryLister& lister,
                                                            const KeepGoing& keepGoing);

}  // namespace quillory
