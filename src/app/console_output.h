// Text for a standard handle: a console is written in UTF-16, so every name shows as it is
// whatever the console's code page; a file or a pipe gets UTF-8 bytes without a byte-order
// mark, which scripts and other programs read as they come.
#pragma once

#include <windows.h>

#include <mutex>
#include <string_view>

namespace quillory {

class ConsoleOutput {
 public:
  // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
  explicit ConsoleOutput(DWORD standardHandle);

  // Writes the UTF-8 text and a line break; safe from any thread.
  void Line(std::string_view text);
  // On a console only: shows the text on the line the cursor is on, in place of what was there
  // (empty clears it). Nothing reaches a file or a pipe.
  void Status(std::string_view text);
  bool IsConsole() const { return console_; }

 private:
  void Write(std::string_view bytes);
  HANDLE handle_;
  bool console_;
  std::mutex mutex_;
};

}  // namespace quillory
