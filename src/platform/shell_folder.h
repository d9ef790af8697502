// Showing a file in the shell's window of its folder, the file selected.
#pragma once

#include <string>

namespace quillory {

// The folder that holds `path` (a file or a folder): the text before its last separator.
std::wstring ContainingFolder(const std::wstring& path);

// Opens the folder that holds `path` in the shell with `path` selected, or the folder alone
// when `path` itself is gone; false when the shell could do neither.
bool ShowInFolder(const std::wstring& path);

}  // namespace quillory
