// Running the thread's waiting messages, for tests and benchmarks that drive a window from the
// thread that made it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace quillory::test {

// Runs every message waiting now, as the program's loop would.
inline void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Runs waiting messages until `done` is true or the deadline passes; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds deadline = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return done();
    PumpPending();
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return true;
}

}  // namespace quillory::test
