// What the benchmarks share: the clock, running the waiting messages (the tests' own pump),
// the process's memory and the middle of a set of timings.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "support/pump_win.h"

namespace bench {

using Clock = std::chrono::steady_clock;
inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
inline double MsSince(Clock::time_point start) { return Ms(Clock::now() - start); }

// Paints what is left to paint in a window and its children, as the message loop would next.
inline void PaintPending(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// Memory the process holds for itself (committed, private).
inline size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}

// The sizes named on the command line, or these.
inline std::vector<size_t> Sizes(int argc, char** argv, std::vector<size_t> otherwise) {
  std::vector<size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  return sizes.empty() ? otherwise : sizes;
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace bench
