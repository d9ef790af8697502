// The folder walk of " Add All Word Doc Files In Folder": every folder of a tree, level by
// level, and the matching files of each. One listing of a folder serves both its subfolders
// and its files. The file system is reached through a small lister so that the order and the
// rules can be tested without one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adding/name_pattern.h"

namespace quillory {

struct FolderEntry {
  std::string name;
  bool folder = false;
  bool hiddenOrSystem = false;
  bool link = false;  // a junction, symbolic link or other reparse point
  std::string shortName;  // the 8.3 name the file system keeps beside a long one; empty if none
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
  // The file system's upper case: file names match patterns without regard to case.
  virtual UpcaseChar Upcase() const = 0;
};

// Called as each folder opens and at every directory entry of the walk; false means stop at
// once (the window was closed).
using KeepGoing = std::function<bool()>;

// Everything one press adds for `chosenFolder` and the extension as typed: the files (never
// folders, hidden and system ones included) that the platform's search for "*." + extension
// finds in each folder of the tree, in folder order and each folder's listing order, leaving
// out names that begin with "~". The folders go level by level: the direct subfolders in
// listing order, then theirs grouped by parent, and so on. Hidden and system folders are never
// walked, and no folder is walked twice (a link back into the tree would loop forever): once
// the walk meets a link, every folder is told apart by its identity (a tree without links
// never pays for it). A folder that cannot be listed adds nothing. Each folder is listed once,
// the walk and the matching together. Nothing (nullopt) when `keepGoing` asked to stop.
std::optional<std::vector<std::string>> GatherFolderEntries(const std::string& chosenFolder,
                                                            const std::string& extension,
                                                            DirectoryLister& lister,
                                                            const KeepGoing& keepGoing);

}  // namespace quillory
