// Appending 100,000 entries to the real window's list and painting it, with the memory the
// process needed. Prints the figures.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double MiB(SIZE_T bytes) { return bytes / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  OleInitialize(nullptr);
  quillory::Form1Options options;
  options.homePage.draw = [](float) { return 0.5f; };
  auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
  Pump();
  PROCESS_MEMORY_COUNTERS before{};
  before.cb = sizeof before;
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);

  std::vector<std::string> paths;
  paths.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    paths.push_back("C:\\Users\\Office\\Documents\\Contracts 2026\\Κατάλογος\\contract-" + std::to_string(i) + ".doc");
  }

  auto start = Clock::now();
  form->AppendEntries(std::move(paths));
  const double appendBatch = Ms(start);

  HWND list = form->Control(quillory::IDC_LISTVIEW1);
  start = Clock::now();
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const double paintTop = Ms(start);

  start = Clock::now();
  SendMessageW(list, LVM_ENSUREVISIBLE, count - 1, FALSE);
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const double paintEnd = Ms(start);

  // One entry at a time, as drops of single files would add them.
  start = Clock::now();
  for (int i = 0; i < 10000; ++i) form->AppendEntry("C:\\Docs\\single-" + std::to_string(i) + ".doc");
  Pump();
  const double appendSingles = Ms(start);

  PROCESS_MEMORY_COUNTERS after{};
  after.cb = sizeof after;
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  std::printf("append %zu entries in one batch: %.1f ms; paint top: %.1f ms; scroll to the last and paint: %.1f ms\n",
              count, appendBatch, paintTop, paintEnd);
  std::printf("append 10,000 entries one by one: %.1f ms (%.1f us each)\n", appendSingles, appendSingles * 1000.0 / 10000);
  std::printf("memory: peak working set %.1f MiB (%.1f MiB before appending), private bytes %.1f MiB\n",
              MiB(after.PeakWorkingSetSize), MiB(before.PeakWorkingSetSize), MiB(after.PagefileUsage));
  form.reset();
  OleUninitialize();
  return 0;
}
