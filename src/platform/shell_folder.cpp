#include "platform/shell_folder.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>

#include "platform/files.h"

namespace quillory {

std::wstring ContainingFolder(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return {};
  std::wstring folder = path.substr(0, separator);
  if (folder.ends_with(L':')) folder += L'\\';  // a drive's root
  return folder;
}

bool ShowInFolder(const std::wstring& path) {
  if (FileExists(path)) {
    const std::unique_ptr<ITEMIDLIST, decltype(&ILFree)> item(ILCreateFromPathW(path.c_str()), &ILFree);
    if (item && SUCCEEDED(SHOpenFolderAndSelectItems(item.get(), 0, nullptr, 0))) return true;
  }
  const std::wstring folder = ContainingFolder(path);
  if (folder.empty() || !IsFolder(folder)) return false;
  // Above 32 means the shell started it.
  return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace quillory
