// " Add All Word Doc Files In Folder": its dialogs answered from a watcher thread, over trees made
// here. The walk's order and rules are tested in tests/core; here the real file system and dialogs.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "adding/add_folder_press_win.h"
#include "adding/input_box_win.h"
#include "common/utf_win.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
constexpr ControlId kButtons[] = {IDC_CHECK1, IDC_CHECK4, IDC_CHECK2};

// Walks the picker's tree down to `path` on C: by the names shown, as a user would, and selects
// it; false while it cannot be found there yet.
bool SelectInPicker(HWND dialog, const std::wstring& path) {
  std::vector<std::wstring> names{L"Computer", L"C:"};  // found within the names shown; then each folder
  for (size_t from = 3, to; from < path.size(); from = to + 1) {
    to = std::min(path.find(L'\\', from), path.size());
    names.push_back(path.substr(from, to - from));
  }
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
  return item && TreeView_SelectItem(tree, item);
}

class FolderPress : public FormTest {
 protected:
  // One press, the box answered with `extension` and the picker with `folder` (nullopt: Cancel).
  std::vector<SeenDialog> Press(std::optional<std::wstring> extension, std::optional<std::wstring> folder) {
    probeRuns = 0;
    DialogWatcher watcher([&](HWND dialog) {
      modalWithTheArrow = modalWithTheArrow && GetWindow(dialog, GW_OWNER) == form->Hwnd() &&
                          !IsWindowEnabled(form->Hwnd()) && form->MousePointer() == PointerShape::kDefault;
      HWND box = GetDlgItem(dialog, kInputBoxAnswerId);
      if (box) boxDefault = WindowText(box);
      if (box && extension) SetWindowTextW(box, extension->c_str());
      if (!box && folder) {
        // Two copies, as the picker's loop drops the message it has just taken when it ends.
        for (int i = 0; i < 2; ++i) PostMessageW(probe.Hwnd(), WM_APP, reinterpret_cast<WPARAM>(dialog), 0);
        // The tree may still be filling: walk it again until the folder is found there.
        for (int tries = 0; tries < 500 && !SelectInPicker(dialog, *folder); ++tries) Sleep(20);
      }
      PressDialogButton(dialog, (box ? extension.has_value() : folder.has_value()) ? IDOK : IDCANCEL);
    });
    SendMessageW(form->Control(IDC_CHECK4), BM_CLICK, 0, 0);
    return watcher.Seen();
  }
  void Make(std::initializer_list<const wchar_t*> names) const {
    for (const wchar_t* name : names) temp.Write(name);
  }
  Paths Listed(std::initializer_list<const wchar_t*> names, Paths before = {}) const {
    for (const wchar_t* name : names) before.push_back(Narrow(temp.File(name)));
    return before;
  }

  // Runs `duringWalk` once the picker is gone: the first messages to run then are the walk's.
  ProbeWindow probe{[this](UINT msg, WPARAM picker) {
    if (IsWindow(reinterpret_cast<HWND>(picker))) PostMessageW(probe.Hwnd(), msg, picker, 0);  // later
    else if (probeRuns++ == 0 && duringWalk) duringWalk();
  }};
  std::function<void()> duringWalk;
  int probeRuns = 0;
  TempFolder temp;
  bool modalWithTheArrow = true;
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
  size_t dialogsInWalk = 0;
  duringWalk = [&] {
    pointerInWalk = form->MousePointer();
    DialogWatcher unexpected(PressButton(IDCANCEL));
    for (ControlId button : kButtons) SendMessageW(form->Control(button), BM_CLICK, 0, 0);
    dialogsInWalk = unexpected.Count();
  };
  const std::vector<SeenDialog> dialogs = Press(L"doc", root);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].title, L"Quillory");
  EXPECT_EQ(dialogs[0].text, L"Enter file extension to load:");
  EXPECT_EQ(dialogs[0].buttons, (std::vector<std::wstring>{L"OK", L"Cancel"}));
  EXPECT_EQ(boxDefault, L"doc");
  EXPECT_THAT(dialogs[1].text, ::testing::HasSubstr(L"Please select folder to add:"));
  EXPECT_TRUE(modalWithTheArrow);
  const Paths walked = Listed({L"Root\\a.doc", L"Root\\Other\\d.doc", L"Root\\Sub\\b.doc", L"Root\\Sub\\Deep\\c.doc"},
                              {"C:\\Earlier\\kept.doc"});
  EXPECT_EQ(form->Files().Entries(), walked);
  EXPECT_EQ(pointerInWalk, PointerShape::kHourglass);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(dialogsInWalk, 0u);
  for (ControlId button : kButtons) EXPECT_EQ(SendMessageW(form->Control(button), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // A quit request or closing the window during the walk ends it with nothing added.
  duringWalk = [] { PostQuitMessage(3); };
  Press(L"doc", root);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // left for the main loop
  EXPECT_EQ(msg.wParam, 3u);
  duringWalk = [&] { SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0); };
  Press(L"doc", root);
  EXPECT_EQ(probeRuns, 1);  // no message ran after the close
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(form->Files().Entries(), walked);
}

// The walk on the real file system, started as the picker would (it offers no drive or share made
// here). Hidden folders and the platform's matching: folder_press_platform_test.
TEST_F(FolderPress, LinksBackAreNotWalkedLongListingsAreReadWholeAndDriveRootsAndSharesJoinRight) {
  Make({L"T\\a.doc", L"T\\S\\c.doc", L"Docs\\n.doc", L"Docs\\Sub\\m.doc"});
  ASSERT_TRUE(RunUnix("ln -s .. S/Back", temp.File(L"T"), [&] { return FileExists(temp.File(L"T\\S\\Back\\a.doc")); }));
  const std::string share = "quillory-" + std::to_string(GetCurrentProcessId());
  const std::string unc = "\\\\localhost\\" + share + "\\Docs";
  // Q: (the test prefix has only C: and Z:) and \\localhost\<share> are served from the prefix's devices.
  const std::string devices = "d=$PWD && cd $WINEPREFIX/dosdevices && ";
  ASSERT_TRUE(RunUnix(devices + "mkdir -p unc/localhost && ln -sfn $d/Docs q: && ln -sfn $d unc/localhost/" + share,
                      temp.Path(), [&] { return FileExists(Widen(unc + "\\n.doc")); }));
  Paths expected = Listed({L"T\\a.doc", L"T\\S\\c.doc"});
  for (int i = 1000; i < 1151; ++i) {  // more than one read of the folder's listing
    expected.push_back(Narrow(temp.Write(L"Many\\f" + std::to_wstring(i) + L".doc")));
  }
  expected.insert(expected.end(), {"Q:\\n.doc", "Q:\\Sub\\m.doc", unc + "\\n.doc", unc + "\\Sub\\m.doc"});
  AddFolderTree(*form, temp.File(L"T"), L"doc");
  AddFolderTree(*form, temp.File(L"Many"), L"doc");
  AddFolderTree(*form, L"Q:\\", L"doc");
  AddFolderTree(*form, Widen(unc), L"doc");
  EXPECT_TRUE(RunUnix(devices + "rm -f q: unc/localhost/" + share, temp.Path(), [] { return !FileExists(L"Q:\\n.doc"); }));
  EXPECT_EQ(form->Files().Entries(), expected);
}

}  // namespace
}  // namespace quillory::test
