// Start-up to the window shown: Quillory against an empty Win32 window, started the same way
// (CreateProcess, then waiting until a visible top-level window of that process exists),
// alternating, in one run. Prints the medians and their ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD process;
  bool found;
};

double StartSeconds(const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = L"\"" + program + L"\"";
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return -1;
  }
  Search search{info.dwProcessId, false};
  while (!search.found) {
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner == s->process && IsWindowVisible(window)) s->found = true;
          return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 10000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder = folder.substr(0, folder.find_last_of(L'\\'));
  const std::wstring quillory = folder + L"\\Quillory.exe";
  const std::wstring empty = folder + L"\\bench_empty_window.exe";
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;

  StartSeconds(empty);  // warm the file cache and the Wine session
  StartSeconds(quillory);
  std::vector<double> quilloryTimes, emptyTimes;
  for (int i = 0; i < rounds; ++i) {
    emptyTimes.push_back(StartSeconds(empty));
    quilloryTimes.push_back(StartSeconds(quillory));
  }
  const double q = Median(quilloryTimes), e = Median(emptyTimes);
  std::printf("start-up to window shown, median of %d: Quillory %.1f ms, empty window %.1f ms, ratio %.2f\n",
              rounds, q * 1000, e * 1000, q / e);
  return 0;
}
