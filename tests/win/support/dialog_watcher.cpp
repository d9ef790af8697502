#include "support/dialog_watcher.h"

#include <chrono>

#include "platform/window_text.h"

namespace quillory::test {

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

}  // namespace

SeenDialog DescribeDialog(HWND dialog) {
  SeenDialog seen;
  seen.title = WindowText(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring cls = ClassOf(child);
    if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      const std::wstring text = WindowText(child);
      if (text.empty()) continue;
      if (!seen.text.empty()) seen.text += L"\n";
      seen.text += text;
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      seen.buttons.push_back(WindowText(child));
    }
  }
  return seen;
}

void PressDialogButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button && IsWindowVisible(button)) {
    SendMessageW(button, BM_CLICK, 0, 0);
  } else {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  }
}

DialogWatcher::Answer PressButton(int id) {
  return [id](HWND dialog) {
    PressDialogButton(dialog, id);
    return true;
  };
}

DialogWatcher::DialogWatcher(Answer answer, DWORD uiThread)
    : answer_(std::move(answer)), uiThread_(uiThread), thread_([this] { Run(); }) {}

DialogWatcher::~DialogWatcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::vector<SeenDialog> DialogWatcher::Seen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

size_t DialogWatcher::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_.size();
}

void DialogWatcher::Run() {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    struct Found {
      DWORD thread;
      std::vector<HWND> dialogs;
    } found{uiThread_, {}};
    EnumThreadWindows(
        uiThread_,
        [](HWND window, LPARAM param) -> BOOL {
          auto* found = reinterpret_cast<Found*>(param);
          if (IsWindowVisible(window) && ClassOf(window) == L"#32770") found->dialogs.push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    for (HWND dialog : found.dialogs) {
      bool known = false;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        for (HWND answered : answered_) known = known || answered == dialog;
      }
      if (known) continue;
      // Recorded before it is answered: once the answer closes the dialog, the test thread
      // goes on at once and may read the count.
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(DescribeDialog(dialog));
        answered_.push_back(dialog);
      }
      if (!answer_(dialog)) {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.pop_back();
        answered_.pop_back();
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace quillory::test
