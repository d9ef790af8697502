// Driving modal dialogs from a test: a watcher thread finds the visible "#32770" dialogs of
// the test's own thread and answers each once, while the test thread sits in the dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillory::test {

struct SeenDialog {
  std::wstring title;
  std::wstring text;  // the static texts, joined by "\n"
  std::vector<std::wstring> buttons;  // the button captions
};

class DialogWatcher {
 public:
  // `answer` is called on the watcher thread for each new dialog of `uiThread`; it acts on it
  // (fills boxes, presses a button) and returns true once it has, false to be called again.
  using Answer = std::function<bool(HWND dialog)>;
  explicit DialogWatcher(Answer answer, DWORD uiThread = GetCurrentThreadId());
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  std::vector<SeenDialog> Seen() const;
  size_t Count() const;

 private:
  void Run();
  Answer answer_;
  DWORD uiThread_;
  mutable std::mutex mutex_;
  std::vector<SeenDialog> seen_;
  std::vector<HWND> answered_;
  bool stop_ = false;
  std::thread thread_;
};

// What a dialog shows.
SeenDialog DescribeDialog(HWND dialog);
// Presses a button of a dialog by its id (IDOK, IDYES...), as a click would.
void PressDialogButton(HWND dialog, int id);
// Answers every dialog by pressing one button.
DialogWatcher::Answer PressButton(int id);

}  // namespace quillory::test
