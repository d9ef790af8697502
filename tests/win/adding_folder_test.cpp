// " Add All Word Doc Files In Folder": its dialogs answered from a watcher thread, over trees made here.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
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
  HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
  auto childNamed = [&](HTREEITEM parent, auto matches) -> HTREEITEM {
    TreeView_Expand(tree, parent, TVE_EXPAND);
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item)) {
      wchar_t text[MAX_PATH] = {};
      TVITEMW data{TVIF_TEXT, item, 0, 0, text, MAX_PATH, 0, 0, 0, 0};
      if (TreeView_GetItem(tree, &data) && matches(std::wstring(text))) return item;
    }
    return nullptr;
  };
  auto isComputer = [](const std::wstring& name) { return name.ends_with(L"Computer"); };
  auto isDriveC = [](const std::wstring& name) { return name.starts_with(L"C:") || name.ends_with(L"(C:)"); };
  HTREEITEM item = childNamed(TreeView_GetRoot(tree), isComputer);
  item = item ? childNamed(item, isDriveC) : nullptr;
  std::wistringstream folders(path.substr(3));
  for (std::wstring folder; item && std::getline(folders, folder, L'\\');)
    item = childNamed(item, [&](const std::wstring& name) { return _wcsicmp(name.c_str(), folder.c_str()) == 0; });
  if (!item) return false;
  TreeView_SelectItem(tree, item);
  SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  return true;
}

// Under Wine: the Unix path of a Windows path.
std::string UnixPath(const std::wstring& windowsPath) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  char* path = toUnix ? toUnix(windowsPath.c_str()) : nullptr;
  std::string result(path ? path : "");
  HeapFree(GetProcessHeap(), 0, path);
  return result;
}
// Runs a Unix command through /bin/sh -c and waits until `made` (when given) exists: Wine
// starts a Unix program when asked to, but its handle tells nothing useful.
bool RunUnix(const std::string& command, const std::wstring& made = {}) {
  std::wstring line = L"/bin/sh -c \"" + Widen(command) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(process.hThread);  // null if it did not start: then `made` never appears
  CloseHandle(process.hProcess);
  return made.empty() || PumpUntil([&] { return GetFileAttributesW(made.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

class FolderPress : public ::testing::Test {
 protected:
  void SetUp() override {
    current = this;
    probe = CreateWindowW(L"Message", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(probe, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Probe));
    Form1Options options;
    options.onClosed = [this] { closedCalls++; };
    form = MakeForm(std::move(options));
    ASSERT_TRUE(form);
  }
  void TearDown() override { DestroyWindow(probe); }

  // One press, the box answered with `extension` and the picker with `folder` (nullopt: Cancel).
  // Gives what the dialogs showed, noted before each answer lets the press go on.
  std::vector<SeenDialog> Press(std::optional<std::wstring> extension, std::optional<std::wstring> folder) {
    std::vector<SeenDialog> shown;
    DialogWatcher watcher([&, tries = 0](HWND dialog) mutable {
      if (tries == 0) shown.push_back(DescribeDialog(dialog));
      pointerInDialogs = std::max(pointerInDialogs, form->MousePointer());
      allModal = allModal && GetWindow(dialog, GW_OWNER) == form->Hwnd() && !IsWindowEnabled(form->Hwnd());
      HWND answer = GetDlgItem(dialog, kInputBoxAnswerId);
      if (answer) boxDefault = WindowText(answer);
      if (answer && extension) SetWindowTextW(answer, extension->c_str());
      if (answer || !folder) {
        PressDialogButton(dialog, answer && extension ? IDOK : IDCANCEL);
        return true;
      }
      // Two copies, as the picker's loop drops the message it has just taken when it ends.
      for (int i = 0; i < 2 && tries == 0; ++i) PostMessageW(probe, kProbe, reinterpret_cast<WPARAM>(dialog), 0);
      if (ChooseInFolderPicker(dialog, *folder)) return true;
      if (++tries < 100) return false;  // the tree may still be filling
      PressDialogButton(dialog, IDCANCEL);
      return true;
    });
    SendMessageW(form->Control(IDC_CHECK4), BM_CLICK, 0, 0);
    return shown;
  }
  // Runs `duringWalk` once the picker is gone: the first messages to run then are the walk's.
  static LRESULT CALLBACK Probe(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kProbe) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (IsWindow(reinterpret_cast<HWND>(wParam))) PostMessageW(hwnd, msg, wParam, lParam);  // the picker is up: later
    else if (current->probeRuns++ == 0 && current->duringWalk) current->duringWalk();
    return 0;
  }

  void Make(Names names) const { for (const wchar_t* name : names) temp.Write(name); }
  Paths Listed(Names names, Paths before = {}) const {
    for (const wchar_t* name : names) before.push_back(Narrow(temp.File(name)));
    return before;
  }
  const Paths& Entries() const { return form->Files().Entries(); }

  static inline FolderPress* current = nullptr;
  HWND probe = nullptr;
  std::function<void()> duringWalk;
  int probeRuns = 0;
  std::unique_ptr<Form1> form;
  TempFolder temp;
  PointerShape pointerInDialogs{-1};
  int closedCalls = 0;
  bool allModal = true;
  std::wstring boxDefault;
};

const Names kExampleTree{L"Root\\a.doc", L"Root\\~$a.doc", L"Root\\b.txt", L"Root\\Other\\d.doc",
                         L"Root\\Sub\\b.doc", L"Root\\Sub\\Deep\\c.doc"};

TEST_F(FolderPress, TheExampleTreeGivesItsFourEntriesInOrderAndPressesDuringTheWalkAreIgnored) {
  Make(kExampleTree);
  form->AppendEntry("C:\\Earlier\\kept.doc");
  PointerShape pointerInWalk{-1};
  int dialogsInWalk = 0;  // read once the watcher has ended
  duringWalk = [&] {
    pointerInWalk = form->MousePointer();
    DialogWatcher unexpected([&](HWND dialog) { ++dialogsInWalk; PressDialogButton(dialog, IDCANCEL); return true; });
    for (ControlId button : kButtons) SendMessageW(form->Control(button), BM_CLICK, 0, 0);
  };
  const std::vector<SeenDialog> dialogs = Press(L"doc", temp.File(L"Root"));

  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].title, L"Quillory");
  EXPECT_EQ(dialogs[0].text, L"Enter file extension to load:");
  EXPECT_EQ(dialogs[0].buttons, (std::vector<std::wstring>{L"OK", L"Cancel"}));
  EXPECT_EQ(boxDefault, L"doc");
  EXPECT_NE(dialogs[1].text.find(L"Please select folder to add:"), std::wstring::npos) << dialogs[1].text;
  EXPECT_TRUE(allModal);
  EXPECT_EQ(Entries(), Listed({L"Root\\a.doc", L"Root\\Other\\d.doc", L"Root\\Sub\\b.doc", L"Root\\Sub\\Deep\\c.doc"},
                              {"C:\\Earlier\\kept.doc"}));
  EXPECT_EQ(pointerInDialogs, PointerShape::kDefault);
  EXPECT_EQ(pointerInWalk, PointerShape::kHourglass);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(dialogsInWalk, 0);
  for (ControlId button : kButtons) EXPECT_EQ(SendMessageW(form->Control(button), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(FolderPress, CancelAtEitherStepOrAnEmptyAnswerChangesNothingWithoutTheHourglass) {
  Make(kExampleTree);
  form->AppendEntry("C:\\x.doc");
  EXPECT_EQ(Press(std::nullopt, temp.File(L"Root")).size(), 1u);  // no picker after Cancel
  EXPECT_EQ(Press(L"", temp.File(L"Root")).size(), 1u);  // nor after an empty answer
  EXPECT_EQ(Press(L"doc", std::nullopt).size(), 2u);
  EXPECT_EQ(Entries(), Paths{"C:\\x.doc"});
  EXPECT_EQ(pointerInDialogs, PointerShape::kDefault);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
}

TEST_F(FolderPress, HiddenFoldersAreNotWalkedHiddenFilesAreListedAndTheExtensionIsUsedAsTyped) {
  Make({L"T\\a.doc", L"T\\b.txt", L"T\\~lock.doc", L"T\\two..doc", L"T\\secret.doc", L"T\\Hidden\\in.doc",
        L"T\\System\\sys.doc", L"T\\S\\c.docx"});
  auto set = [&](const wchar_t* name, DWORD bits) { return SetFileAttributesW(temp.File(name).c_str(), bits); };
  ASSERT_TRUE(set(L"T\\secret.doc", FILE_ATTRIBUTE_HIDDEN) && set(L"T\\Hidden", FILE_ATTRIBUTE_HIDDEN) &&
              set(L"T\\System", FILE_ATTRIBUTE_SYSTEM));
  for (const wchar_t* extension : {L"doc", L"*", L".doc"}) Press(extension, temp.File(L"T"));
  // "*.doc" takes "c.docx" too, as the platform matches a three-letter extension.
  EXPECT_EQ(Entries(), Listed({L"T\\a.doc", L"T\\secret.doc", L"T\\two..doc", L"T\\S\\c.docx",               // doc
                               L"T\\a.doc", L"T\\b.txt", L"T\\secret.doc", L"T\\two..doc", L"T\\S\\c.docx",  // *
                               L"T\\two..doc"}));                                                        // .doc
}

TEST_F(FolderPress, ManyMatchingFilesInOneFolderAllComeInOrder) {
  Paths expected;
  for (int i = 0; i < 151; ++i) {
    const std::wstring name = L"Many\\f" + std::to_wstring(1000 + i) + L".doc";
    expected.push_back(Narrow(temp.Write(name)));
  }
  Press(L"doc", temp.File(L"Many"));
  EXPECT_EQ(Entries(), expected);
}

TEST_F(FolderPress, ALinkBackIntoTheTreeEndsAndEachFolderIsListedOnce) {
  Make({L"Loop\\a.doc", L"Loop\\Sub\\b.doc"});
  ASSERT_TRUE(RunUnix("ln -s '" + UnixPath(temp.File(L"Loop")) + "' '" + UnixPath(temp.File(L"Loop\\Sub\\Back")) + "'",
                      temp.File(L"Loop\\Sub\\Back\\a.doc")));
  Press(L"doc", temp.File(L"Loop"));
  EXPECT_EQ(Entries(), Listed({L"Loop\\a.doc", L"Loop\\Sub\\b.doc"}));
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
  ASSERT_TRUE(RunUnix("mkdir -p " + shares + " && ln -sfn '" + UnixPath(temp.File(L"Docs")) + "' " + drive +
                          " && ln -sfn '" + UnixPath(temp.Path()) + "' " + shares + "/" + share,
                      Widen(unc + "\\n.doc")));
  AddFolderTree(*form, Widen(root), L"doc");
  AddFolderTree(*form, Widen(unc), L"doc");
  RunUnix("rm -f " + drive + " " + shares + "/" + share);
  EXPECT_EQ(Entries(), (Paths{root + "n.doc", root + "Sub\\m.doc", unc + "\\n.doc", unc + "\\Sub\\m.doc"}));
}

TEST_F(FolderPress, AQuitRequestOrClosingTheWindowDuringTheWalkEndsItWithNothingAdded) {
  Make(kExampleTree);
  duringWalk = [] { PostQuitMessage(3); };
  Press(L"doc", temp.File(L"Root"));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // left for the main loop
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  probeRuns = 0;
  duringWalk = [&] { SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0); };
  Press(L"doc", temp.File(L"Root"));
  EXPECT_EQ(probeRuns, 1);  // no message ran after the close
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(closedCalls, 1);
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace quillory::test
