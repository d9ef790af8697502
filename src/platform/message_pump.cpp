#include "platform/message_pump.h"

#include <algorithm>
#include <utility>

namespace quillory {

void DispatchOne(MSG& msg, HWND dialogWindow) {
  if (dialogWindow && IsDialogMessageW(dialogWindow, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int RunMessageLoop(const std::function<HWND()>& dialogWindow) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchOne(msg, dialogWindow());
  return static_cast<int>(msg.wParam);
}

WaitResult WaitWhilePumping(HANDLE handle, std::chrono::steady_clock::time_point deadline,
                            const std::function<bool()>& stop, HWND dialogWindow) {
  for (;;) {
    if (stop && stop()) return WaitResult::kStopped;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return WaitResult::kTimedOut;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    const DWORD wait = static_cast<DWORD>(std::min<long long>(left, 60000));
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &handle, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) return WaitResult::kSignalled;
    if (woke != WAIT_OBJECT_0 + 1) continue;  // the wait's own timeout: look again
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return WaitResult::kStopped;
      }
      DispatchOne(msg, IsWindow(dialogWindow) ? dialogWindow : nullptr);
      if (stop && stop()) return WaitResult::kStopped;
    }
  }
}

PendingMessages::PendingMessages(HWND dialogWindow, std::function<bool()> stopRequested,
                                 std::chrono::microseconds interval)
    : dialogWindow_(dialogWindow), stopRequested_(std::move(stopRequested)), interval_(interval) {}

bool PendingMessages::operator()() {
  if (stop_ || stopRequested_()) return false;
  const auto now = std::chrono::steady_clock::now();
  if (last_ != std::chrono::steady_clock::time_point{} && now - last_ < interval_) return true;

  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The program is ending: leave the request for the main loop and stop here.
      PostQuitMessage(static_cast<int>(msg.wParam));
      stop_ = true;
      return false;
    }
    DispatchOne(msg, IsWindow(dialogWindow_) ? dialogWindow_ : nullptr);
    if (stopRequested_()) {
      stop_ = true;
      return false;
    }
  }
  last_ = std::chrono::steady_clock::now();
  return true;
}

}  // namespace quillory
