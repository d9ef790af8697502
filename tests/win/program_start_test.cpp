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
  struct Search {
    DWORD process;
    const wchar_t* windowClass;
    HWND found;
  } search{process, windowClass, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (owner == s->process && IsWindowVisible(window) && wcscmp(name, s->windowClass) == 0) s->found = window;
        return s->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
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
  std::wstring line = L"\"" + TestProgramFolder() + L"\\Quillory.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  HWND window = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (window = VisibleWindowOf(process.dwProcessId, kForm1ClassName)) != nullptr; }));

  HWND list = GetDlgItem(window, IDC_LISTVIEW1);
  EXPECT_TRUE(PumpUntil([&] { return GetPropW(list, L"OleDropTargetInterface") != nullptr; }));

  HWND open = DialogAfterPress(process.dwProcessId, window, IDC_CHECK1);
  ASSERT_NE(open, nullptr);
  EXPECT_TRUE(Answer(open, IDCANCEL));
  HWND box = DialogAfterPress(process.dwProcessId, window, IDC_CHECK4);
  ASSERT_NE(GetDlgItem(box, kInputBoxAnswerId), nullptr);
  EXPECT_TRUE(Answer(box, IDOK));  // "doc"
  HWND picker = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (picker = VisibleWindowOf(process.dwProcessId, L"#32770")) != nullptr; }));
  EXPECT_TRUE(Answer(picker, IDCANCEL));

  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(PumpUntil([&] { return GetExitCodeProcess(process.hProcess, &exitCode) && exitCode != STILL_ACTIVE; }));
  EXPECT_EQ(exitCode, 0u);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace quillory::test
