#include "app/console_output.h"

#include <algorithm>
#include <string>

#include "common/utf_win.h"

namespace quillory {

ConsoleOutput::ConsoleOutput(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {
  DWORD mode = 0;
  console_ = handle_ && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

void ConsoleOutput::Line(std::string_view text) {
  std::string bytes(text);
  bytes += "\r\n";
  Write(bytes);
}

void ConsoleOutput::Status(std::string_view text) {
  if (!console_) return;
  // Padded to a common width so that a shorter text leaves nothing of a longer one.
  std::string bytes(text);
  if (bytes.size() < 79) bytes.append(79 - bytes.size(), ' ');
  Write(bytes + "\r");
}

void ConsoleOutput::Write(std::string_view bytes) {
  if (!handle_ || handle_ == INVALID_HANDLE_VALUE) return;
  std::lock_guard lock(mutex_);
  if (console_) {
    const std::wstring wide = Widen(bytes);
    std::wstring_view rest = wide;
    while (!rest.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(rest.size(), 16 * 1024));
      if (!WriteConsoleW(handle_, rest.data(), chunk, &written, nullptr) || written == 0) return;
      rest.remove_prefix(written);
    }
    return;
  }
  std::string_view rest = bytes;
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(rest.size(), 1u << 20));
    if (!WriteFile(handle_, rest.data(), chunk, &written, nullptr) || written == 0) return;  // a closed pipe
    rest.remove_prefix(written);
  }
}

}  // namespace quillory
