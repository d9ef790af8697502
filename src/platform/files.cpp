#include "platform/files.h"

#include <windows.h>

namespace quillory {

bool FileExists(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD lastError = GetLastError();
  // Asking for attributes reads the last-write time without opening the file, so a file
  // locked by another program still counts as existing.
  WIN32_FILE_ATTRIBUTE_DATA data;
  const BOOL ok = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  SetLastError(lastError);
  return ok != FALSE;
}

std::wstring ApplicationFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace quillory
