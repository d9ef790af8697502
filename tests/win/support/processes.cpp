#include "support/processes.h"

#include "common/utf_win.h"
#include "support/pump_win.h"

namespace quillory::test {

bool StartProgram(std::wstring commandLine, ScopedHandle* process, DWORD* id, const std::wstring& in, HANDLE out,
                  HANDLE err, DWORD flags) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = out ? STARTF_USESTDHANDLES : 0;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, out != nullptr, flags, nullptr,
                      in.empty() ? nullptr : in.c_str(), &startup, &started)) {
    return false;
  }
  CloseHandle(started.hThread);
  ScopedHandle owned(started.hProcess);
  if (process) *process = std::move(owned);
  if (id) *id = started.dwProcessId;
  return true;
}

HWND WaitForWindow(DWORD process, const wchar_t* windowClass) {
  HWND found = nullptr;
  PumpUntil([&] {
    for (HWND window = nullptr; !found && (window = FindWindowExW(nullptr, window, windowClass, nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == process && IsWindowVisible(window)) found = window;
    }
    return found != nullptr;
  });
  return found;
}

bool RunUnix(const std::string& command, const std::wstring& in, const std::function<bool()>& done) {
  return StartProgram(L"/bin/bash -c \"" + Widen(command) + L"\"", nullptr, nullptr, in) &&
         PumpUntil(done, std::chrono::minutes(2));
}

}  // namespace quillory::test
