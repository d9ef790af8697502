#include "adding/directory_lister_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "common/utf_win.h"
#include "common/scoped_handles_win.h"
#include "platform/files.h"

namespace quillory {
namespace {

// Lists a folder through one open handle, the short names with the long ones: the file system
// matches a search pattern against both.
class HandleListing : public FolderListing {
 public:
  explicit HandleListing(HANDLE folder)
      : folder_(folder), buffer_(std::make_unique_for_overwrite<uint64_t[]>(kBufferBytes / sizeof(uint64_t))) {}

  bool Next(FolderEntry& entry) override {
    if (!current_) {
      if (ended_) return false;
      if (!GetFileInformationByHandleEx(folder_.Get(), FileIdBothDirectoryInfo, buffer_.get(), kBufferBytes)) {
        ended_ = true;  // the end of the folder, or a failure on the way: either way no more
        return false;
      }
      current_ = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer_.get());
    }
    const FILE_ID_BOTH_DIR_INFO* info = current_;
    current_ = info->NextEntryOffset ? reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
                                           reinterpret_cast<const char*>(info) + info->NextEntryOffset)
                                     : nullptr;
    entry.name = Narrow(std::wstring_view(info->FileName, info->FileNameLength / sizeof(wchar_t)));
    const size_t shortLength = std::min<size_t>(info->ShortNameLength / sizeof(wchar_t), std::size(info->ShortName));
    entry.shortName = Narrow(std::wstring_view(info->ShortName, shortLength));
    entry.folder = (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.hiddenOrSystem = (info->FileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    entry.link = (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return true;
  }

 private:
  static constexpr DWORD kBufferBytes = 64 * 1024;
  ScopedHandle folder_;
  std::unique_ptr<uint64_t[]> buffer_;  // 8-byte aligned, as the entries need
  const FILE_ID_BOTH_DIR_INFO* current_ = nullptr;
  bool ended_ = false;
};

// "C:\" and "\\?\C:\" keep their backslash; other folders are opened without it.
std::wstring FolderToOpen(std::wstring folder) {
  if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.pop_back();
  return folder;
}

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

// Upper case as the file system compares names: one character for one, from the system's
// own table, read once.
UpcaseChar WindowsDirectoryLister::Upcase() const {
  return [](char32_t c) -> char32_t {
    static const std::unique_ptr<wchar_t[]> table = [] {
      auto upper = std::make_unique<wchar_t[]>(0x10000);
      for (size_t i = 0; i < 0x10000; ++i) upper[i] = static_cast<wchar_t>(i);
      // Surrogates stand for themselves; each side of them is mapped in one call.
      for (const auto& [from, to] : {std::pair<size_t, size_t>{1, 0xD800}, {0xE000, 0x10000}}) {
        const int count = static_cast<int>(to - from);
        std::wstring lower(upper.get() + from, upper.get() + to);
        if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, lower.data(), count, upper.get() + from, count,
                          nullptr, nullptr, 0) != count) {
          std::copy(lower.begin(), lower.end(), upper.get() + from);  // unchanged rather than shifted
        }
      }
      return upper;
    }();
    return c < 0x10000 ? static_cast<char32_t>(table[c]) : c;
  };
}

}  // namespace quillory
