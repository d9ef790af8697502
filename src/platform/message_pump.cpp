#include "platform/message_pump.h"

#include <algorithm>
#include <utility>

namespace quillory {

DWORD MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<DWORD>(std::clamp<long long>(left.count(), 0, 60000));
}

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

bool RunWaitingMessages(HWND dialogWindow, const std::function<bool()>& stop) {
  if (stop && stop()) return false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    DispatchOne(msg, IsWindow(dialogWindow) ? dialogWindow : nullptr);
    if (stop && stop()) return false;
  }
  return true;
}

WaitResult WaitWhilePumping(HANDLE handle, std::chrono::steady_clock::time_point deadline,
                            const std::function<bool()>& stop, HWND dialogWindow) {
  for (;;) {
    if (stop && stop()) return WaitResult::kStopped;
    if (std::chrono::steady_clock::now() >= deadline) return WaitResult::kTimedOut;
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(1, &handle, MillisecondsUntil(deadline), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) return WaitResult::kSignalled;
    if (woke != WAIT_OBJECT_0 + 1) continue;  // the wait's own timeout: look again
    if (!RunWaitingMessages(dialogWindow, stop)) return WaitResult::kStopped;
  }
}

Waiter WaitAnsweringWindow(HWND dialogWindow) {
  return [dialogWindow](HANDLE handle, std::chrono::steady_clock::time_point deadline,
                        const std::function<bool()>& stop) {
    return WaitWhilePumping(handle, deadline, stop, dialogWindow);
  };
}

Waiter WaitOrStop(HANDLE stopEvent) {
  return [stopEvent](HANDLE handle, std::chrono::steady_clock::time_point deadline,
                     const std::function<bool()>& stop) {
    const HANDLE handles[2] = {handle, stopEvent};
    const DWORD count = stop && stopEvent ? 2 : 1;
    for (;;) {
      if (stop && stop()) return WaitResult::kStopped;
      const DWORD waited = WaitForMultipleObjects(count, handles, FALSE, MillisecondsUntil(deadline));
      if (waited == WAIT_OBJECT_0) return WaitResult::kSignalled;
      if (waited == WAIT_OBJECT_0 + 1) return WaitResult::kStopped;
      if (waited == WAIT_FAILED || std::chrono::steady_clock::now() >= deadline) return WaitResult::kTimedOut;
    }
  };
}

}  // namespace quillory
