// What the platform's own file search finds for a folder press, the long way: the folders
// level by level, then in each the search for "*." + extension. Tests and the benchmark hold
// the press's single walk to it.
#pragma once

#include <string>
#include <vector>

namespace quillory::test {

// The folder and every folder below it, level by level, the folders of each in the order the
// file system lists them; hidden and system folders are not walked. Then, folder by folder,
// the files (never folders) FindFirstFileExW gives for "*." + extension, in its order, less
// the names that begin with "~"; full paths in UTF-8.
std::vector<std::string> PlatformSearch(const std::wstring& folder, const std::wstring& extension);

}  // namespace quillory::test
