#include "platform/files.h"

#include <windows.h>

#include <algorithm>

#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "common/scoped_handles_win.h"

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

std::string WriteWholeFile(const std::wstring& path, std::string_view bytes, bool replace) {
  const auto reason = SystemReason;
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, replace ? CREATE_ALWAYS : CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return reason(GetLastError());
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
      const DWORD error = GetLastError();
      file.Reset();
      DeleteFileW(path.c_str());
      return reason(error);
    }
    bytes.remove_prefix(written);
  }
  if (!CloseHandle(file.Release())) {
    const DWORD error = GetLastError();
    DeleteFileW(path.c_str());
    return reason(error);
  }
  return {};
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    // The size needed counts the final NUL; the length written does not.
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    const bool fits = length < full.size();
    full.resize(length);
    if (fits) return full;
  }
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
