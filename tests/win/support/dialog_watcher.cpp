#include "support/dialog_watcher.h"

#include <algorithm>

#include "platform/window_text.h"

namespace quillory::test {

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t found[64] = {};
  GetClassNameW(window, found, 64);
  return _wcsicmp(found, name) == 0;
}

SeenDialog DescribeDialog(HWND dialog) {
  SeenDialog seen;
  seen.title = WindowText(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring text = WindowText(child);
    if (IsClass(child, L"Static") && !text.empty()) seen.text += (seen.text.empty() ? L"" : L"\n") + text;
    if (!IsClass(child, L"Button")) continue;
    seen.buttons.push_back(text);
    if ((GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) seen.defaultButton = GetDlgCtrlID(child);
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
  return [id](HWND dialog) { PressDialogButton(dialog, id); };
}

DialogWatcher::DialogWatcher(Answer answer, DWORD uiThread)
    : answer_(std::move(answer)), uiThread_(uiThread), thread_([this] { Run(); }) {}

void DialogWatcher::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::vector<SeenDialog> DialogWatcher::Seen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

void DialogWatcher::Run() {
  while (!stop_) {
    std::vector<HWND> dialogs;
    auto collect = [](HWND window, LPARAM to) -> BOOL {
      auto* found = reinterpret_cast<std::vector<HWND>*>(to);
      if (IsWindowVisible(window) && IsClass(window, L"#32770")) found->push_back(window);
      return TRUE;
    };
    EnumThreadWindows(uiThread_, collect, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs) {
      if (std::find(answered_.begin(), answered_.end(), dialog) != answered_.end()) continue;
      answered_.push_back(dialog);
      SeenDialog seen = DescribeDialog(dialog);
      {
        // Noted before the answer: once that closes the dialog, the test thread may read the count.
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(std::move(seen));
      }
      answer_(dialog);
    }
    Sleep(20);
  }
}

}  // namespace quillory::test
