// Quillory.com run by a benchmark as a script runs it: its output discarded, its exit code and
// the most memory it held.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <string>

namespace bench {

// Runs the console twin with `arguments`, its output discarded; its exit code, or -1. `peak`,
// when given, gets the most private memory the process committed.
inline long RunConsole(const std::wstring& program, const std::wstring& arguments, size_t* peak = nullptr) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul;
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    CloseHandle(nul);
    return -1;
  }
  // The memory is read while the process runs: an ended process tells nothing under Wine.
  if (peak) *peak = 0;
  while (WaitForSingleObject(process.hProcess, peak ? 5 : INFINITE) == WAIT_TIMEOUT) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
      *peak = std::max<size_t>(*peak, std::max(counters.PeakPagefileUsage, counters.PagefileUsage));
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(nul);
  return static_cast<long>(code);
}

}  // namespace bench
