// Start-up to the window shown: Quillory against an empty Win32 window, started the same way
// (CreateProcess, then waiting until a visible top-level window of that process exists, and
// until that window first answers a message, its first paint done), in turns, in one run. A
// third program, the empty window with the common controls loaded, shows how much of the
// difference any window with a list view pays. Prints the medians and their ratios.
//   bench_window_start [starts of each]   (default 15)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "figures.h"

namespace {

struct Search {
  DWORD process;
  HWND found;
};

struct Start {
  double shown = -1;     // seconds to the window visible
  double answered = -1;  // seconds to its first answer
};

Start StartSeconds(const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = L"\"" + program + L"\"";
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return {};
  }
  Search search{info.dwProcessId, nullptr};
  while (!search.found) {
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner == s->process && IsWindowVisible(window)) s->found = window;
          return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  Start seconds;
  seconds.shown = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  DWORD_PTR result = 0;
  SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  seconds.answered = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 10000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder = folder.substr(0, folder.find_last_of(L'\\'));
  const std::wstring programs[] = {folder + L"\\bench_empty_window.exe",
                                   folder + L"\\bench_empty_window_common_controls.exe", folder + L"\\Quillory.exe"};
  const char* names[] = {"empty window", "with common controls", "Quillory"};
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;

  for (int i = 0; i < 3; ++i) {  // warm the file cache and let a new Wine session settle
    for (const std::wstring& program : programs) StartSeconds(program);
  }
  std::vector<double> shown[3], answered[3];
  for (int i = 0; i < rounds; ++i) {
    for (int p = 0; p < 3; ++p) {
      const Start start = StartSeconds(programs[p]);
      shown[p].push_back(start.shown);
      answered[p].push_back(start.answered);
    }
  }
  for (const auto& [what, times] : {std::pair{"window shown", shown}, {"window painted and answering", answered}}) {
    const double empty = bench::Median(times[0]);
    std::printf("start-up to the %s, median of %d: empty window %.1f ms", what, rounds, empty * 1000);
    for (int p = 1; p < 3; ++p) {
      const double median = bench::Median(times[p]);
      std::printf(", %s %.1f ms (ratio %.2f)", names[p], median * 1000, median / empty);
    }
    std::printf("\n");
  }
  return 0;
}
