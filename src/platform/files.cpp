#include "platform/files.h"

#include <windows.h>

#include <algorithm>

#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "common/scoped_handles_win.h"

namespace quillory {
namespace {

// Paths up to this length work without the prefix.
constexpr size_t kClassicLimit = MAX_PATH - 20;

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.size() < kClassicLimit || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return path;
  if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;  // relative: left to the classic rules
}

bool FileExists(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD lastError = GetLastError();
  // Attributes are read without opening the file, so a file locked by another program
  // still counts as existing.
  const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(path).c_str());
  SetLastError(lastError);
  return attributes != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD lastError = GetLastError();
  const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(path).c_str());
  SetLastError(lastError);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string MakeFolder(const std::wstring& folder) {
  if (CreateDirectoryW(ExtendedLengthPath(folder).c_str(), nullptr)) return {};
  DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND) {
    const size_t slash = folder.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0) {
      if (std::string above = MakeFolder(folder.substr(0, slash)); !above.empty()) return above;
      if (CreateDirectoryW(ExtendedLengthPath(folder).c_str(), nullptr)) return {};
      error = GetLastError();
    }
  }
  // A folder already there is fine; a file of that name is not.
  if (error == ERROR_ALREADY_EXISTS && IsFolder(folder)) return {};
  return Narrow(folder) + ": " + SystemReason(error);
}

std::optional<std::string> ReadSmallFile(const std::wstring& path, size_t limit) {
  ScopedHandle file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size) || static_cast<unsigned long long>(size.QuadPart) > limit) {
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()) {
    return std::nullopt;
  }
  return bytes;
}

std::string WriteWholeFile(const std::wstring& path, std::string_view bytes, bool replace) {
  const std::wstring file = ExtendedLengthPath(path);
  ScopedHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, replace ? CREATE_ALWAYS : CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return SystemReason(GetLastError());
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 24));
    DWORD written = 0;
    if (!WriteFile(handle.Get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
      const DWORD error = GetLastError();
      handle.Reset();
      DeleteFileW(file.c_str());
      return SystemReason(error);
    }
    bytes.remove_prefix(written);
  }
  if (!CloseHandle(handle.Release())) {
    const DWORD error = GetLastError();
    DeleteFileW(file.c_str());
    return SystemReason(error);
  }
  return {};
}

std::string UpperCaseName(const std::string& name) {
  // Most names are ASCII, whose upper case needs no call (a share of 100,000 names is compared).
  if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::string upper = name;
    for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
    return upper;
  }
  const std::wstring wide = Widen(name);
  if (wide.empty()) return name;
  const int length = static_cast<int>(wide.size());
  std::wstring upper(wide.size(), L'\0');
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), length, upper.data(), length, nullptr,
                    nullptr, 0) != length) {
    return name;
  }
  return Narrow(upper);
}

std::string ComparablePath(const std::string& path) { return UpperCaseName(Narrow(FullPath(Widen(path)))); }

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
