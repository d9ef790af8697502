// Driving modal dialogs from a test: a watcher thread finds the visible "#32770" dialogs of
// the test's own thread and answers each once, while the test thread sits in the dialog.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillory::test {

struct SeenDialog {
  std::wstring title;
  std::wstring text;  // the static texts, joined by "\n"
  std::vector<std::wstring> buttons;
  int defaultButton = 0;
};

class DialogWatcher {
 public:
  // Called on the watcher thread, once for each new dialog.
  using Answer = std::function<void(HWND dialog)>;
  explicit DialogWatcher(Answer answer, DWORD uiThread = GetCurrentThreadId());
  ~DialogWatcher() { Stop(); }
  // Stops watching once every answer begun has returned.
  void Stop();

  std::vector<SeenDialog> Seen() const;
  size_t Count() const { return Seen().size(); }

 private:
  void Run();
  Answer answer_;
  DWORD uiThread_;
  mutable std::mutex mutex_;
  std::vector<SeenDialog> seen_;
  std::vector<HWND> answered_;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

bool IsClass(HWND window, const wchar_t* name);  // ignoring case
SeenDialog DescribeDialog(HWND dialog);
// Presses a dialog's button by its id (IDOK, IDYES...), as a click would.
void PressDialogButton(HWND dialog, int id);
DialogWatcher::Answer PressButton(int id);

}  // namespace quillory::test
