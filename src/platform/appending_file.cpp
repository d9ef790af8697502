#include "platform/appending_file.h"

#include <windows.h>

#include <algorithm>

#include "common/system_message_win.h"
#include "platform/files.h"

namespace quillory {

std::unique_ptr<AppendingFile> AppendingFile::Start(const std::wstring& path, Open open, uint64_t keep,
                                                    std::string* error) {
  const std::wstring file = ExtendedLengthPath(path);
  ScopedHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  open == Open::kNew ? CREATE_NEW : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(keep);
  if (!handle || !SetFilePointerEx(handle.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(handle.Get())) {
    if (error) *error = SystemReason(GetLastError());
    return nullptr;
  }
  return std::unique_ptr<AppendingFile>(new AppendingFile(std::move(handle)));
}

std::string AppendingFile::Append(std::string_view bytes) {
  // One write for a row as a rule: a process ended meanwhile leaves the row whole or absent.
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 24));
    DWORD written = 0;
    if (!WriteFile(handle_.Get(), bytes.data(), chunk, &written, nullptr)) return SystemReason(GetLastError());
    if (written == 0) return SystemReason(ERROR_DISK_FULL);
    bytes.remove_prefix(written);
  }
  return FlushFileBuffers(handle_.Get()) ? std::string() : SystemReason(GetLastError());
}

}  // namespace quillory
