// A file written only at its end, each write through to the disk before it returns (the
// report a run writes as it goes: a crash or a power cut loses no row that was written).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/scoped_handles_win.h"

namespace quillory {

class AppendingFile {
 public:
  enum class Open { kNew, kAlways };
  // kNew makes a file that must not exist yet; kAlways opens the file or makes it, and keeps
  // its first `keep` bytes (the rest, such as a row cut short, is cut off). Others may read it
  // meanwhile. Null with the system's reason in `error` when it cannot be opened.
  static std::unique_ptr<AppendingFile> Start(const std::wstring& path, Open open, uint64_t keep, std::string* error);

  // Empty when the bytes are on the disk; otherwise the system's reason.
  std::string Append(std::string_view bytes);

 private:
  explicit AppendingFile(ScopedHandle handle) : handle_(std::move(handle)) {}
  ScopedHandle handle_;
};

}  // namespace quillory
