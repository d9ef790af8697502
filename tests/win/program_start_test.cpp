// Quillory.exe itself, started as a user or Explorer starts it; its manifest and icons (the test
// program links the same resource script); what a screen reader in another process hears of it.
#include <oleacc.h>
#include <wrl/client.h>

#include "adding/input_box_win.h"
#include "app/resources/resource_ids.h"
#include "support/form_fixture.h"
#include "support/processes.h"
#include "support/temp_folder.h"

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

// What a screen reader in this process hears of a control (role, name, checked, default action); it may act.
using Heard = std::tuple<long, std::wstring, bool, std::wstring>;
Heard Hear(HWND control, bool act = false) {
  Microsoft::WRL::ComPtr<IAccessible> object;
  VARIANT self{}, role{}, state{};
  self.vt = VT_I4;  // CHILDID_SELF
  BSTR name = nullptr, action = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_PPV_ARGS(&object)))) return {};
  object->get_accRole(self, &role), object->get_accState(self, &state);
  object->get_accName(self, &name), object->get_accDefaultAction(self, &action);
  Heard heard{role.lVal, name ? name : L"", (state.lVal & STATE_SYSTEM_CHECKED) != 0, action ? action : L""};
  SysFreeString(name), SysFreeString(action);
  EXPECT_TRUE(!act || object->accDoDefaultAction(self) == S_OK);
  return heard;
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
  EXPECT_EQ(std::get<1>(Hear(list)), L"Word Doc File(s)");
  // Each action button is a push button named by its caption, never checked, before, during and
  // after its press; its default action presses it (the Open dialog comes).
  for (const auto& [button, caption] : {std::pair{IDC_CHECK1, L"Add Word Doc File(s)"},
                                        {IDC_CHECK4, L"Add All Word Doc Files In Folder"}, {IDC_CHECK2, L"Save As Dot"}}) {
    EXPECT_EQ(Hear(GetDlgItem(window, button)), Heard(ROLE_SYSTEM_PUSHBUTTON, caption, false, L"Press"));
  }
  HWND check1 = GetDlgItem(window, IDC_CHECK1);
  const Heard pushButton = Hear(check1, true);

  // The Open dialog, cancelled; the folder press's extension box, answered "doc"; its picker, cancelled.
  for (const auto& [press, box, answer] : {std::tuple{IDC_CHECK1, false, IDCANCEL}, {IDC_CHECK4, true, IDOK},
                                           {ControlId{}, false, IDCANCEL}}) {
    if (press == IDC_CHECK4) PostMessageW(GetDlgItem(window, press), BM_CLICK, 0, 0);
    HWND dialog = WaitForWindow(id, L"#32770");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(!box || GetDlgItem(dialog, kInputBoxAnswerId));  // the extension box
    EXPECT_EQ(Hear(check1), pushButton);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(dialog); }));
  }
  EXPECT_EQ(Hear(check1), pushButton);

  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(PumpUntil([&] { return GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE; }));
  EXPECT_EQ(exitCode, 0u);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.Get(), 1);
}

}  // namespace
}  // namespace quillory::test
