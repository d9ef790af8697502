// What the Open dialog hands back, turned into the paths to list. The dialog's answer is
// empty (cancelled), one full path (one file), or a folder followed by the chosen names, all
// separated by NUL characters (several files).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The chosen paths in the order the dialog returned them; empty when nothing was chosen.
// Trailing NULs (the end of the dialog's buffer) are ignored.
std::vector<std::string> ChosenPaths(std::string_view dialogAnswer);

// Folder, one backslash, name. A folder that already ends in a backslash (a drive root)
// gives no second one; nothing else is touched, so \\server\share keeps its leading pair.
std::string JoinFolderAndName(std::string_view folder, std::string_view name);

}  // namespace quillory
