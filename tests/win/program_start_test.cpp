// Quillory.exe itself. Its manifest and icons as the window uses them (the test program links
// the same resource script). Started as a user starts it: the system DLLs its first paint does not
// need load at their first call; the list becomes a drop target once OLE is there, the Open
// dialog and the folder picker come up from DLLs loaded then, and closing the window ends
// the program. Started with documents, as Explorer starts it, it lists them. A screen reader,
// another process, hears its buttons and its list.
#include <oleacc.h>

#include "adding/input_box_win.h"
#include "app/resources/resource_ids.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

// The manifest selects version 6 of the controls (only it answers BCM_GETIDEALSIZE), and the
// resource script holds the window's and the buttons' icons.
TEST(ProgramFile, SelectsCommonControlsSixAndHoldsItsIcons) {
  auto form = MakeForm();
  SIZE ideal = {};
  EXPECT_TRUE(SendMessageW(form->Control(IDC_CHECK1), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  for (int id : {IDI_BUTTON_DOCUMENT, IDI_BUTTON_FOLDER, IDI_BUTTON_FLOPPY, IDI_QUILLORY_BLANK}) {
    EXPECT_TRUE(ScopedIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                          32, 32, LR_DEFAULTCOLOR)))) << id;
  }
}

// Answers a dialog with a button and waits until it is gone.
bool Answer(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  return PumpUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

// A row's text in another process's list view: the item and its text live in that process.
std::wstring RemoteListText(HWND list, DWORD process, int row) {
  constexpr size_t kChars = 1024;
  const ScopedHandle target(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process));
  char* remote = static_cast<char*>(
      VirtualAllocEx(target.Get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return L"(no memory in the program)";
  LVITEMW item{};
  item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof item);
  item.cchTextMax = kChars;
  WriteProcessMemory(target.Get(), remote, &item, sizeof item, nullptr);
  std::wstring text(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote)), L'\0');
  ReadProcessMemory(target.Get(), item.pszText, text.data(), text.size() * sizeof(wchar_t), nullptr);
  VirtualFreeEx(target.Get(), remote, 0, MEM_RELEASE);
  return text;
}

// What a screen reader hears of a control: its role, name, whether it is checked, its default action.
struct Heard {
  long role = 0;
  std::wstring name;
  bool checked = false;
  std::wstring action;
  bool operator==(const Heard&) const = default;
};
VARIANT Self() {
  VARIANT self{};
  self.vt = VT_I4;  // CHILDID_SELF
  return self;
}
Heard Hear(IAccessible* control) {
  const VARIANT self = Self();
  VARIANT role{}, state{};
  BSTR name = nullptr, action = nullptr;
  Heard heard;
  if (SUCCEEDED(control->get_accRole(self, &role)) && role.vt == VT_I4) heard.role = role.lVal;
  if (SUCCEEDED(control->get_accState(self, &state)) && state.vt == VT_I4) heard.checked = state.lVal & STATE_SYSTEM_CHECKED;
  if (SUCCEEDED(control->get_accName(self, &name)) && name) heard.name = name;
  if (SUCCEEDED(control->get_accDefaultAction(self, &action)) && action) heard.action = action;
  SysFreeString(name);
  SysFreeString(action);
  return heard;
}
Microsoft::WRL::ComPtr<IAccessible> Accessible(HWND control) {
  Microsoft::WRL::ComPtr<IAccessible> object;
  EXPECT_EQ(AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_PPV_ARGS(&object)), S_OK);
  return object;
}

// Files dropped on the program's icon, or sent to it, come as its arguments: listed in their
// order by the time the window shows, made full as the system makes them (".." resolved).
TEST(ProgramStart, TheWindowShowsListingItsArgumentsThenOlesDropTargetAndTheDialogsLoadAsCalledAndCloseEnds) {
  TempFolder folder;
  const std::wstring named = folder.File(L"R\u00e9sum\u00e9 \u03a9mega.doc");
  ScopedHandle process;
  DWORD id = 0;
  ASSERT_TRUE(StartProgram(L"\"" + ApplicationFolder() + L"\\Quillory.exe\" \"" + named + L"\" sub\\letter.doc \"" +
                               folder.File(L"x\\..\\b.doc") + L"\"",
                           &process, &id, folder.Path()));
  HWND window = WaitForWindow(id, kForm1ClassName);
  ASSERT_NE(window, nullptr);
  HWND list = GetDlgItem(window, IDC_LISTVIEW1);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(RemoteListText(list, id, 0), named);
  EXPECT_EQ(RemoteListText(list, id, 1), folder.File(L"sub\\letter.doc"));
  EXPECT_EQ(RemoteListText(list, id, 2), folder.File(L"b.doc"));

  EXPECT_TRUE(PumpUntil([&] { return GetPropW(list, L"OleDropTargetInterface") != nullptr; }));
  EXPECT_EQ(Hear(Accessible(list).Get()).name, L"Word Doc File(s)");
  // Each action button is a push button named by its caption, never checked, before, during and
  // after its press; its default action presses it (the Open dialog comes).
  const std::pair<ControlId, const wchar_t*> buttons[] = {
      {IDC_CHECK1, L"Add Word Doc File(s)"}, {IDC_CHECK4, L"Add All Word Doc Files In Folder"}, {IDC_CHECK2, L"Save As Dot"}};
  for (const auto& [button, caption] : buttons) {
    EXPECT_EQ(Hear(Accessible(GetDlgItem(window, button)).Get()), (Heard{ROLE_SYSTEM_PUSHBUTTON, caption, false, L"Press"}));
  }
  const auto check1 = Accessible(GetDlgItem(window, IDC_CHECK1));
  const Heard pushButton{ROLE_SYSTEM_PUSHBUTTON, buttons[0].second, false, L"Press"};

  // The Open dialog, cancelled; the folder press's extension box, answered "doc"; its picker, cancelled.
  for (const auto& [press, box, answer] : {std::tuple{IDC_CHECK1, false, IDCANCEL}, {IDC_CHECK4, true, IDOK},
                                           {ControlId{}, false, IDCANCEL}}) {
    if (press == IDC_CHECK1) {
      EXPECT_EQ(check1->accDoDefaultAction(Self()), S_OK);
    } else if (press) {
      PostMessageW(GetDlgItem(window, press), BM_CLICK, 0, 0);
    }
    HWND dialog = WaitForWindow(id, L"#32770");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(!box || GetDlgItem(dialog, kInputBoxAnswerId));  // the extension box
    if (press == IDC_CHECK1) {
      EXPECT_EQ(Hear(check1.Get()), pushButton);
    }
    EXPECT_TRUE(Answer(dialog, answer));
  }
  EXPECT_EQ(Hear(check1.Get()), pushButton);

  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(PumpUntil([&] { return GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE; }));
  EXPECT_EQ(exitCode, 0u);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.Get(), 1);
}

}  // namespace
}  // namespace quillory::test
