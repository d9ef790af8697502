#include "adding/folder_picker_win.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "common/scoped_handles_win.h"

namespace quillory {

std::wstring BrowseForFolder(HWND owner, const std::wstring& title) {
  BROWSEINFOW request{};
  request.hwndOwner = owner;
  request.lpszTitle = title.c_str();
  request.ulFlags = BIF_RETURNONLYFSDIRS;
  TaskMem<ITEMIDLIST> chosen(SHBrowseForFolderW(&request));
  if (!chosen) return {};

  // The shell item gives the path whatever its length; the classic call stops at MAX_PATH.
  Microsoft::WRL::ComPtr<IShellItem> item;
  if (SUCCEEDED(SHCreateItemFromIDList(chosen.get(), IID_PPV_ARGS(&item)))) {
    PWSTR path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
      TaskMem<wchar_t> owned(path);
      return owned.get();
    }
    return {};
  }
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(chosen.get(), path)) return {};
  return path;
}

}  // namespace quillory
