// The " Add All Word Doc Files In Folder" press after the button convention: extension,
// folder, walk, append.
#pragma once

#include <string>

#include "adding/adding_view_win.h"
#include "adding/folder_walk.h"

namespace quillory {

void AddAllFilesInFolder(AddingView& view);

// The press from the chosen folder on: the hourglass, the walk of the tree on a thread of its
// own while the window keeps answering (further presses are the window's to ignore), and one
// append of every matching file. Closing the window or a quit request during the walk ends it
// with nothing added. `lister` is the file system the walk reads (by default Windows' own).
void AddFolderTree(AddingView& view, const std::wstring& folder, const std::wstring& extension);
void AddFolderTree(AddingView& view, const std::wstring& folder, const std::wstring& extension,
                   DirectoryLister& lister);

}  // namespace quillory
