// " Add All Word Doc Files In Folder": its dialogs answered from a watcher thread, over trees made
// here. The walk's order and rules are tested in tests/core; here the real file system and dialogs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "adding/add_folder_press_win.h"
#include "adding/input_box_win.h"
#include "app/main_window.h"
#include "common/utf_win.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
using Names = std::initializer_list<const wchar_t*>;
constexpr UINT kProbe = WM_APP + 7;
constexpr ControlId kButtons[] = {IDC_CHECK1, IDC_CHECK4, IDC_CHECK2};

// Walks the picker's tree down to the folder `path` on C: by the names shown, as a user would,
// selects it and presses OK. False while the folder cannot be found there yet.
bool ChooseInFolderPicker(HWND dialog, const std::wstring& path) {
  std::vector<std::wstring> names{L"Computer", L"C:"};  // found within the names shown; then each folder
  std::wistringstream folders(path.substr(3));
  for (std::wstring folder; std::getline(folders, folder, L'\\');) names.push_back(folder);
  HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
  HTREEITEM item = TreeView_GetRoot(tree);
  for (size_t step = 0; item && step < names.size(); ++step) {
    TreeView_Expand(tree, item, TVE_EXPAND);
    for (item = TreeView_GetChild(tree, item); item; item = TreeView_GetNextSibling(tree, item)) {
      wchar_t text[MAX_PATH] = {};
      TVITEMW data{TVIF_TEXT, item, 0, 0, text, MAX_PATH, 0, 0, 0, 0};
      TreeView_GetItem(tree, &data);
      if (step < 2 ? wcsstr(text, names[step].c_str()) != nullptr : _wcsicmp(text, names[step].c_str()) == 0) break;
    }
  }
  if (!item) return false;
  TreeView_SelectItem(tree, item);
  SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  return true;
}

// Under Wine: runs a Unix command through /bin/sh -c in the folder `in` and waits until `made`
// (when given) exists, as the process handle Wine gives back tells nothing useful.
bool RunUnix(const std::string& command, const std::wstring& in, const std::wstring& made = {}) {
  std::wstring line = L"/bin/sh -c \"";
  for (wchar_t c : Widen(command)) line += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
  line += L'"';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, in.c_str(), &startup, &process);
  CloseHandle(process.hThread);  // null if it did not start: then `made` never appears
  CloseHandle(process.hProcess);
  return made.empty() || PumpUntil([&] { return GetFileAttributesW(made.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

class FolderPress : public ::testing::Test {
 protected:
  void SetUp() override {
    probe = CreateWindowW(L"Message", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(probe, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(probe, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Probe));
    form = MakeForm();
    ASSERT_TRUE(form);
  }
  void TearDown() override { DestroyWindow(probe); }

  // One press, the box answered with `extension` and the picker with `folder` (nullopt: Cancel).
  // Gives what the dialogs showed.
  std::vector<SeenDialog> Press(std::optional<std::wstring> extension, std::optional<std::wstring> folder) {
    DialogWatcher watcher([&, tries = 0](HWND dialog) mutable {
      pointersInDialogs.insert(form->MousePointer());
      allModal = allModal && GetWindow(dialog, GW_OWNER) == form->Hwnd() && !IsWindowEnabled(form->Hwnd());
      HWND box = GetDlgItem(dialog, kInputBoxAnswerId);
      if (box) boxDefault = WindowText(box);
      if (box && extension) SetWindowTextW(box, extension->c_str());
      if (!box && folder && tries < 500) {  // the picker's tree may take a while to fill
        // Two copies, as the picker's loop drops the message it has just taken when it ends.
        for (int i = 0; i < 2 && tries == 0; ++i) PostMessageW(probe, kProbe, reinterpret_cast<WPARAM>(dialog), 0);
        ++tries;
        return ChooseInFolderPicker(dialog, *folder);
      }
      PressDialogButton(dialog, box && extension ? IDOK : IDCANCEL);
      return true;
    });
    SendMessageW(form->Control(IDC_CHECK4), BM_CLICK, 0, 0);
    return watcher.Seen();
  }
  // Runs `duringWalk` once the picker is gone: the first messages to run then are the walk's.
  static LRESULT CALLBACK Probe(HWND hwnd, UINT msg, WPARAM picker, LPARAM lParam) {
    auto* self = reinterpret_cast<FolderPress*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg != kProbe) return DefWindowProcW(hwnd, msg, picker, lParam);
    if (IsWindow(reinterpret_cast<HWND>(picker))) PostMessageW(hwnd, msg, picker, lParam);  // later
    else if (self->probeRuns++ == 0 && self->duringWalk) self->duringWalk();
    return 0;
  }

  void Make(Names names) const { for (const wchar_t* name : names) temp.Write(name); }
  Paths Listed(Names names, Paths before = {}) const {
    for (const wchar_t* name : names) before.push_back(Narrow(temp.File(name)));
    return before;
  }
  const Paths& Entries() const { return form->Files().Entries(); }

  HWND probe = nullptr;
  std::function<void()> duringWalk;
  int probeRuns = 0;
  std::unique_ptr<Form1> form;
  TempFolder temp;
  std::set<PointerShape> pointersInDialogs;
  bool allModal = true;
  std::wstring boxDefault;
};

TEST_F(FolderPress, ModalDialogsThenTheTreeInOrderUnderTheHourglassOtherPressesIgnoredAndAQuitOrCloseAddsNothing) {
  Make({L"Root\\a.doc", L"Root\\~$a.doc", L"Root\\b.txt", L"Root\\Other\\d.doc", L"Root\\Sub\\b.doc",
        L"Root\\Sub\\Deep\\c.doc"});  // the example tree
  const std::wstring root = temp.File(L"Root");
  form->AppendEntry("C:\\Earlier\\kept.doc");
  // Cancel at either step, or an empty answer, adds nothing; no picker follows the box then.
  EXPECT_EQ(Press(std::nullopt, root).size(), 1u);
  EXPECT_EQ(Press(L"", root).size(), 1u);
  EXPECT_EQ(Press(L"doc", std::nullopt).size(), 2u);

  PointerShape pointerInWalk{-1};
  int dialogsInWalk = 0;  // read once the watcher has ended
  duringWalk = [&] {
    pointerInWalk = form->MousePointer();
    DialogWatcher unexpected([&](HWND dialog) { ++dialogsInWalk; PressDialogButton(dialog, IDCANCEL); return true; });
    for (ControlId button : kButtons) SendMessageW(form->Control(button), BM_CLICK, 0, 0);
  };
  const std::vector<SeenDialog> dialogs = Press(L"doc", root);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].title, L"Quillory");
  EXPECT_EQ(dialogs[0].text, L"Enter file extension to load:");
  EXPECT_EQ(dialogs[0].buttons, (std::vector<std::wstring>{L"OK", L"Cancel"}));
  EXPECT_EQ(boxDefault, L"doc");
  EXPECT_NE(dialogs[1].text.find(L"Please select folder to add:"), std::wstring::npos) << dialogs[1].text;
  EXPECT_TRUE(allModal);
  EXPECT_EQ(Entries(), Listed({L"Root\\a.doc", L"Root\\Other\\d.doc", L"Root\\Sub\\b.doc", L"Root\\Sub\\Deep\\c.doc"},
                              {"C:\\Earlier\\kept.doc"}));
  EXPECT_EQ(pointersInDialogs, std::set{PointerShape::kDefault});
  EXPECT_EQ(pointerInWalk, PointerShape::kHourglass);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(dialogsInWalk, 0);
  for (ControlId button : kButtons) EXPECT_EQ(SendMessageW(form->Control(button), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // A quit request or closing the window during the walk ends it with nothing added.
  const Paths before = Entries();
  probeRuns = 0;
  duringWalk = [] { PostQuitMessage(3); };
  Press(L"doc", root);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // left for the main loop
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  probeRuns = 0;
  duringWalk = [&] { SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0); };
  Press(L"doc", root);
  EXPECT_EQ(probeRuns, 1);  // no message ran after the close
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(Entries(), before);
}

TEST_F(FolderPress, HiddenFoldersAndLinksBackAreNotWalkedWhileHiddenFilesAndLongFoldersAreListedForTheExtensionAsTyped) {
  Make({L"T\\a.doc", L"T\\b.txt", L"T\\two..doc", L"T\\secret.doc", L"T\\Hidden\\in.doc", L"T\\System\\sys.doc",
        L"T\\S\\c.docx"});
  auto set = [&](const wchar_t* name, DWORD bits) { return SetFileAttributesW(temp.File(name).c_str(), bits); };
  ASSERT_TRUE(set(L"T\\secret.doc", FILE_ATTRIBUTE_HIDDEN) && set(L"T\\Hidden", FILE_ATTRIBUTE_HIDDEN) &&
              set(L"T\\System", FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(RunUnix("ln -s .. S/Back", temp.File(L"T"), temp.File(L"T\\S\\Back\\a.doc")));  // back to the top
  Paths many;  // more than one read of the folder's listing
  for (int i = 1000; i < 1151; ++i) many.push_back(Narrow(temp.Write(L"Many\\f" + std::to_wstring(i) + L".doc")));

  for (const wchar_t* extension : {L"doc", L"*", L".doc"}) Press(extension, temp.File(L"T"));
  Press(L"doc", temp.File(L"Many"));
  // "*.doc" takes "c.docx" too, as the platform matches a three-letter extension.
  Paths expected = Listed({L"T\\a.doc", L"T\\secret.doc", L"T\\two..doc", L"T\\S\\c.docx",               // doc
                           L"T\\a.doc", L"T\\b.txt", L"T\\secret.doc", L"T\\two..doc", L"T\\S\\c.docx",  // *
                           L"T\\two..doc"});                                                           // .doc
  expected.insert(expected.end(), many.begin(), many.end());
  EXPECT_EQ(Entries(), expected);
}

// The picker offers neither a drive letter nor a share made here: the walk starts as it would.
TEST_F(FolderPress, ADriveRootJoinsWithOneBackslashAndANetworkFolderKeepsItsTwoLeadingOnes) {
  wchar_t letter = L'P';
  while (letter < L'Z' && (GetLogicalDrives() & (1u << (letter - L'A')))) ++letter;
  ASSERT_LT(letter, L'Z');
  Make({L"Docs\\n.doc", L"Docs\\Sub\\m.doc"});
  const std::string root = Narrow(std::wstring{letter, L':', L'\\'});
  const std::string drive = "$WINEPREFIX/dosdevices/" + std::string(1, static_cast<char>(towlower(letter))) + ":";
  const std::string share = "quillory-" + std::to_string(GetCurrentProcessId());
  const std::string unc = "\\\\localhost\\" + share + "\\Docs";
  const std::string shares = "$WINEPREFIX/dosdevices/unc/localhost";  // \\localhost\<share> is served from there
  ASSERT_TRUE(RunUnix("mkdir -p " + shares + " && ln -sfn \"$PWD/Docs\" " + drive + " && ln -sfn \"$PWD\" " +
                          shares + "/" + share, temp.Path(), Widen(unc + "\\n.doc")));
  AddFolderTree(*form, Widen(root), L"doc");
  AddFolderTree(*form, Widen(unc), L"doc");
  RunUnix("rm -f " + drive + " " + shares + "/" + share, temp.Path());
  EXPECT_EQ(Entries(), (Paths{root + "n.doc", root + "Sub\\m.doc", unc + "\\n.doc", unc + "\\Sub\\m.doc"}));
}

}  // namespace
}  // namespace quillory::test
