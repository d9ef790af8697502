#include "adding/directory_lister_win.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "common/utf_win.h"
#include "platform/scoped_handles.h"

namespace quillory {
namespace {

// Paths up to this length work without the prefix, even for a folder with "\*.ext" added.
constexpr size_t kClassicLimit = MAX_PATH - 20;

// Lists a folder through one open handle.
class HandleListing : public FolderListing {
 public:
  explicit HandleListing(HANDLE folder) : folder_(folder), buffer_(kBufferBytes / sizeof(uint64_t)) {}

  bool Next(FolderEntry& entry) override {
    if (!current_) {
      if (ended_) return false;
      if (!GetFileInformationByHandleEx(folder_.Get(), FileFullDirectoryInfo, buffer_.data(), kBufferBytes)) {
        ended_ = true;  // the end of the folder, or a failure on the way: either way no more
        return false;
      }
      current_ = reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer_.data());
    }
    const FILE_FULL_DIR_INFO* info = current_;
    current_ = info->NextEntryOffset
                   ? reinterpret_cast<const FILE_FULL_DIR_INFO*>(reinterpret_cast<const char*>(info) + info->NextEntryOffset)
                   : nullptr;
    entry.name = Narrow(std::wstring_view(info->FileName, info->FileNameLength / sizeof(wchar_t)));
    entry.folder = (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.hiddenOrSystem = (info->FileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    entry.link = (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return true;
  }

 private:
  static constexpr DWORD kBufferBytes = 64 * 1024;
  ScopedHandle folder_;
  std::vector<uint64_t> buffer_;  // 8-byte aligned, as the entries need
  const FILE_FULL_DIR_INFO* current_ = nullptr;
  bool ended_ = false;
};

// "C:\" and "\\?\C:\" keep their backslash; other folders are opened without it.
std::wstring FolderToOpen(std::wstring folder) {
  if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.pop_back();
  return folder;
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.size() < kClassicLimit || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return path;
  if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;  // relative: left to the classic rules
}

std::vector<std::wstring> ListMatchingFiles(std::wstring folder, const std::wstring& pattern) {
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  // "*.*" is every name, as Windows itself reads it; Wine would match it name by name.
  const std::wstring& mask = pattern == L"*.*" ? std::wstring(L"*") : pattern;
  ScopedFind find(FindFirstFileExW(ExtendedLengthPath(folder + mask).c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
  } while (FindNextFileW(find.Get(), &data));
  return names;
}

namespace {

HANDLE OpenFolder(const std::string& folder, DWORD access) {
  const std::wstring path = ExtendedLengthPath(FolderToOpen(Widen(folder)));
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::unique_ptr<FolderListing> WindowsDirectoryLister::Open(const std::string& folder) {
  HANDLE handle = OpenFolder(folder, FILE_LIST_DIRECTORY);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<HandleListing>(handle);
}

// The folder the path leads to, links followed: its volume and file number.
std::string WindowsDirectoryLister::Identity(const std::string& folder) {
  ScopedHandle handle(OpenFolder(folder, FILE_READ_ATTRIBUTES));
  if (!handle) return {};
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.Get(), &info)) return {};
  if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return {};  // the file system gives none
  char text[32];
  std::snprintf(text, sizeof text, "%08lx:%08lx%08lx", info.dwVolumeSerialNumber, info.nFileIndexHigh,
                info.nFileIndexLow);
  return text;
}

std::vector<std::string> WindowsDirectoryLister::MatchingFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  for (const std::wstring& name : ListMatchingFiles(Widen(folder), Widen(pattern))) names.push_back(Narrow(name));
  return names;
}

}  // namespace quillory
