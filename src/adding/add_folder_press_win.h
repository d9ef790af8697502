// The " Add All Word Doc Files In Folder" press after the button convention: extension,
// folder, walk, append.
#pragma once

#include <string>

#include "adding/adding_view_win.h"

namespace quillory {

void AddAllFilesInFolder(AddingView& view);

// The press from the chosen folder on: the hourglass, the walk of the tree (the window's
// messages keep running) and one append of every matching file. Stops at once, adding
// nothing, if the window is closed during the walk.
void AddFolderTree(AddingView& view, const std::wstring& folder, const std::wstring& extension);

}  // namespace quillory
