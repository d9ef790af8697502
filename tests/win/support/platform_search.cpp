#include "support/platform_search.h"

#include <windows.h>

#include "common/utf_win.h"
#include "common/scoped_handles_win.h"

namespace quillory::test {
namespace {

// Calls `onEntry` with each entry FindFirstFileExW gives for `search`.
template <typename OnEntry>
void Find(const std::wstring& search, OnEntry onEntry) {
  WIN32_FIND_DATAW data;
  const ScopedFind find(FindFirstFileExW(search.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return;
  do {
    onEntry(data);
  } while (FindNextFileW(find.Get(), &data));
}

}  // namespace

std::vector<std::string> PlatformSearch(const std::wstring& folder, const std::wstring& extension) {
  std::vector<std::wstring> folders{folder};
  for (size_t i = 0; i < folders.size(); ++i) {
    Find(folders[i] + L"\\*", [&](const WIN32_FIND_DATAW& data) {
      const std::wstring name = data.cFileName;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L".." &&
          !(data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
        folders.push_back(folders[i] + L"\\" + name);
      }
    });
  }
  std::vector<std::string> found;
  for (const std::wstring& searched : folders) {
    Find(searched + L"\\*." + extension, [&](const WIN32_FIND_DATAW& data) {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != L'~') {
        found.push_back(Narrow(searched + L"\\" + data.cFileName));
      }
    });
  }
  return found;
}

}  // namespace quillory::test
