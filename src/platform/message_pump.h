// The thread's message pump: the main loop, and the waiting messages let through in the
// middle of long work so the window repaints and answers.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace quillory {

// Hands one message to its window; keyboard navigation of `dialogWindow` (Tab, arrows)
// first.
void DispatchOne(MSG& msg, HWND dialogWindow);

// Runs the thread's messages until WM_QUIT; returns its exit code. `dialogWindow` is read
// at each message (it may be gone).
int RunMessageLoop(const std::function<HWND()>& dialogWindow);

enum class WaitResult { kSignalled, kTimedOut, kStopped };

// Waits for `handle` while the thread's messages run, so the window paints and answers. Ends
// early, kStopped, once `stop` says so after a message, or when the program is asked to end
// (that request is left for the main loop).
WaitResult WaitWhilePumping(HANDLE handle, std::chrono::steady_clock::time_point deadline,
                            const std::function<bool()>& stop, HWND dialogWindow);

class PendingMessages {
 public:
  // Messages run at most once per `interval`: looking for them costs far more than a step of
  // long work, and a message then waits no longer than about this interval. `stopRequested`
  // tells, after each message, whether the work must stop (the window was closed).
  PendingMessages(HWND dialogWindow, std::function<bool()> stopRequested,
                  std::chrono::microseconds interval = std::chrono::milliseconds(5));

  // Runs what is waiting (when the interval has passed); false once the work must stop or
  // the program has been asked to end (that request is left for the main loop).
  bool operator()();

 private:
  HWND dialogWindow_;
  std::function<bool()> stopRequested_;
  std::chrono::microseconds interval_;
  std::chrono::steady_clock::time_point last_{};
  bool stop_ = false;
};

}  // namespace quillory
