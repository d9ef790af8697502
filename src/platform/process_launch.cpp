#include "platform/process_launch.h"

#include <windows.h>

#include "common/utf_win.h"
#include "common/scoped_handles_win.h"

namespace quillory {

bool LaunchMinimized(const std::string& commandLine) {
  std::wstring line = Widen(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINIMIZED;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  ScopedHandle thread(process.hThread);
  ScopedHandle owned(process.hProcess);
  return true;
}

}  // namespace quillory
