// The documents one path of Quillory.com's command line names: a folder's tree as the folder
// press walks it, a name with "*" or "?" matched in its folder as the platform's own search
// matches it, or the path itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "adding/folder_walk.h"

namespace quillory {

// True when the path's last part holds "*" or "?".
bool IsNamePattern(const std::string& path);

// `fullPath` is a full path; `folder` tells whether it names an existing folder. A folder
// gives the files of its tree that GatherFolderEntries finds for `extension`; a pattern gives
// the files of its folder it finds, in listing order, never folders nor names beginning with
// "~"; any other path is one document, which may not exist (the run will say so). Nothing
// (nullopt) when `keepGoing` asked to stop.
std::optional<std::vector<std::string>> DocumentsNamed(const std::string& fullPath, bool folder,
                                                       const std::string& extension, DirectoryLister& lister,
                                                       const KeepGoing& keepGoing);

// Where a document stands in what its path argument named: below the folder for a document
// found in a folder's tree ("a\\b.doc" for C:\\Lib\\a\\b.doc found in C:\\Lib), its file name
// for one named directly or by a pattern. Templates written elsewhere keep this place, and a
// run's share of the documents is reckoned from it.
std::string RelativeName(const std::string& document, const std::string& fullPath, bool folder);

}  // namespace quillory
