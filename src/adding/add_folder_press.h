// The " Add All Word Doc Files In Folder" press after the button convention: extension,
// folder, walk, append.
#pragma once

#include <string>

namespace quillory {
class Form1;

void AddAllFilesInFolder(Form1& form);

// The press from the chosen folder on: the hourglass, the walk of the tree (the window's
// messages keep running; its action buttons are ignored meanwhile) and one append of every
// matching file. Stops at once, adding nothing, if the window is closed during the walk.
void AddFolderTree(Form1& form, const std::wstring& folder, const std::wstring& extension);

}  // namespace quillory
