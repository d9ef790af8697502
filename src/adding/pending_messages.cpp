#include "adding/pending_messages.h"

#include "app/main_window.h"

namespace quillory {

PendingMessages::PendingMessages(const Form1& form, std::chrono::microseconds interval)
    : form_(form), interval_(interval) {}

bool PendingMessages::operator()() {
  if (stop_ || form_.Closed()) return false;
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
    if (form_.Hwnd() && IsDialogMessageW(form_.Hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (form_.Closed()) {
      stop_ = true;
      return false;
    }
  }
  last_ = std::chrono::steady_clock::now();
  return true;
}

}  // namespace quillory
