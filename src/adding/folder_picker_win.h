// The shell's folder picker.
#pragma once

#include <windows.h>

#include <string>

namespace quillory {

// Shows the picker (only file-system folders can be confirmed, no folder preselected, modal
// to `owner`) and returns the chosen folder's full path: a drive root with its closing
// backslash ("C:\"), other folders without one. Empty on Cancel or when the chosen item has
// no file-system path. Paths longer than the classic limit come back whole.
std::wstring BrowseForFolder(HWND owner, const std::wstring& title);

}  // namespace quillory
