// Quillory.exe itself, started as a user starts it. The system DLLs its first paint does not
// need load at their first call: the list becomes a drop target once OLE is there, the Open
// dialog and the folder picker come up from DLLs loaded then, and closing the window ends
// the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "adding/input_box_win.h"
#include "app/main_window.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

// A visible window of `process` of the class given, or null.
HWND VisibleWindowOf(DWORD process, const wchar_t* windowClass) {
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, windowClass, nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// Presses `button` of the program's window and waits for the dialog it brings up.
HWND DialogAfterPress(DWORD process, HWND window, ControlId button) {
  PostMessageW(GetDlgItem(window, button), BM_CLICK, 0, 0);
  HWND dialog = nullptr;
  PumpUntil([&] { return (dialog = VisibleWindowOf(process, L"#32770")) != nullptr; });
  return dialog;
}

// Answers a dialog with a button and waits until it is gone.
bool Answer(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  return PumpUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

TEST(ProgramStart, TheWindowShowsThenOlesDropTargetTheOpenDialogAndTheFolderPickerLoadAsCalledAndCloseEnds) {
  ScopedHandle process;
  DWORD id = 0;
  ASSERT_TRUE(StartProgram(L"\"" + ApplicationFolder() + L"\\Quillory.exe\"", &process, &id));
  HWND window = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (window = VisibleWindowOf(id, kForm1ClassName)) != nullptr; }));

  HWND list = GetDlgItem(window, IDC_LISTVIEW1);
  EXPECT_TRUE(PumpUntil([&] { return GetPropW(list, L"OleDropTargetInterface") != nullptr; }));

  HWND open = DialogAfterPress(id, window, IDC_CHECK1);
  ASSERT_NE(open, nullptr);
  EXPECT_TRUE(Answer(open, IDCANCEL));
  HWND box = DialogAfterPress(id, window, IDC_CHECK4);
  ASSERT_NE(GetDlgItem(box, kInputBoxAnswerId), nullptr);
  EXPECT_TRUE(Answer(box, IDOK));  // "doc"
  HWND picker = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (picker = VisibleWindowOf(id, L"#32770")) != nullptr; }));
  EXPECT_TRUE(Answer(picker, IDCANCEL));

  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(PumpUntil([&] { return GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE; }));
  EXPECT_EQ(exitCode, 0u);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.Get(), 1);
}

}  // namespace
}  // namespace quillory::test
