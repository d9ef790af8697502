// The adding presses over files made here, their dialogs answered from a watcher thread; the
// folder walk held to the platform's own search.
#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "adding/add_folder_press_win.h"
#include "adding/directory_lister_win.h"
#include "adding/input_box_win.h"
#include "adding/open_dialog_press_win.h"
#include "common/utf_win.h"
#include "platform/window_text.h"
#include "support/form_fixture.h"
#include "support/platform_search.h"
#include "support/processes.h"
#include "support/temp_folder.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;
constexpr ControlId kButtons[] = {IDC_CHECK1, IDC_CHECK4, IDC_CHECK2};
constexpr UINT kWalk = WM_APP, kHold = WM_APP + 1;  // to the probe window

// A message-only window of the test's thread that hands each message from WM_APP on to
// `onMessage`: a way to run test code at the point the thread's messages have reached.
class ProbeWindow {
 public:
  explicit ProbeWindow(std::function<void(UINT msg, WPARAM wParam)> onMessage)
      : onMessage_(std::move(onMessage)),
        hwnd_(CreateWindowW(L"Message", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
    SetWindowSubclass(hwnd_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~ProbeWindow() { DestroyWindow(hwnd_); }
  HWND Hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    if (msg < WM_APP) return DefSubclassProc(hwnd, msg, wParam, lParam);
    reinterpret_cast<ProbeWindow*>(self)->onMessage_(msg, wParam);
    return 0;
  }
  std::function<void(UINT, WPARAM)> onMessage_;
  HWND hwnd_;
};

constexpr int kReadOnlyBox = 1040, kFilterCombo = 1136, kNameBox = 1148;  // in the Explorer-style Open dialog

// What the Open dialog shows: its title, the file types offered, whether read-only is ticked.
std::wstring Look(HWND dialog) {
  std::wstring look = WindowText(dialog);
  HWND types = GetDlgItem(dialog, kFilterCombo);
  for (LRESULT i = 0, count = SendMessageW(types, CB_GETCOUNT, 0, 0); i < count; ++i) {
    wchar_t text[128] = {};
    SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    look += L"|" + std::wstring(text);
  }
  return look + (IsDlgButtonChecked(dialog, kReadOnlyBox) == BST_CHECKED ? L"|read-only" : L"");
}

using OpenDialogPress = FormTest;

TEST_F(OpenDialogPress, ChosenFilesComeInTheOrderReturnedEachTimeTheyAreChosenAndCancelAddsNothing) {
  TempFolder temp;
  for (const wchar_t* name : {L"Docs\\a.doc", L"Docs\\b.doc", L"Docs\\c.doc"}) temp.Write(name);
  form->AppendEntries({"C:\\Earlier\\kept.doc"});
  std::vector<std::wstring> looks;
  // One press each: the dialog goes to Docs and opens the names as typed there; none is Cancel.
  for (const std::wstring names : {L"", L"\"c.doc\" \"a.doc\" \"b.doc\"", L"a.doc"}) {
    DialogWatcher watcher([&](HWND dialog) {
      looks.push_back(Look(dialog) + (form->MousePointer() == PointerShape::kDefault ? L"" : L"|busy pointer"));
      if (names.empty()) return PressDialogButton(dialog, IDCANCEL);
      for (const std::wstring& text : {temp.File(L"Docs"), names}) {
        SetDlgItemTextW(dialog, kNameBox, text.c_str());
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      }
    });
    SendMessageW(form->Control(IDC_CHECK1), BM_CLICK, 0, 0);
  }
  const std::wstring look =
      L"Add File(s) - Hold Ctrl to select multiple files|Word Documents (*.doc*)|All Files (*.*)|read-only";
  EXPECT_EQ(looks, std::vector<std::wstring>(3, look));
  const std::string docs = Narrow(temp.File(L"Docs"));
  EXPECT_EQ(form->Files().Entries(),
            (Paths{"C:\\Earlier\\kept.doc", docs + "\\c.doc", docs + "\\a.doc", docs + "\\b.doc", docs + "\\a.doc"}));
}

// Wine's dialog writes past a short buffer instead of reporting it, so an answer that does not
// fit is played by a stand-in that behaves as the documented dialog does.
TEST_F(OpenDialogPress, TheRoomHoldsThousandsOfNamesAndGrowsForALongerAnswerOrTellsNothingWasAdded) {
  std::vector<DWORD> rooms;
  std::wstring answer = L"C:\\Many\0first-file.doc\0second-file.doc\0third-file.doc\0"s;
  const ShowOpenDialog show = [&](OPENFILENAMEW& dialog) {
    rooms.push_back(dialog.nMaxFile);
    if (answer.size() + 1 > dialog.nMaxFile) {
      *reinterpret_cast<WORD*>(dialog.lpstrFile) = static_cast<WORD>(answer.size() + 1);  // the room needed
      return OpenDialogOutcome::AnswerTooLong;
    }
    answer.copy(dialog.lpstrFile, answer.size());  // into a buffer given empty: two NULs end the answer
    return OpenDialogOutcome::Chosen;
  };
  DialogWatcher watcher(PressButton(IDOK));
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 24, show});  // shown again once, still short
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 1 << 16, show});
  answer = L"C:\\x.doc";
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{.show = show});

  ASSERT_EQ(watcher.Count(), 1u);  // noted before it is answered
  EXPECT_THAT(watcher.Seen()[0].text, ::testing::HasSubstr(L"Nothing was added"));
  ASSERT_EQ(rooms.size(), 5u);
  EXPECT_EQ(rooms[1], 24u);           // grown no further than the largest
  EXPECT_GE(rooms[4], 5000u * 100u);  // five thousand names of a hundred characters
  EXPECT_EQ(form->Files().Entries(),
            (Paths{"C:\\Many\\first-file.doc", "C:\\Many\\second-file.doc", "C:\\Many\\third-file.doc", "C:\\x.doc"}));
}

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

// The real file system, the walk held as its folder numbered `holdAt` (from 1) opens until the
// window has answered a message posted then. Runs on the walk's thread.
struct HeldLister : WindowsDirectoryLister {
  HeldLister(HWND probe, int holdAt) : probe(probe), holdAt(holdAt) {}
  std::unique_ptr<FolderListing> Open(const std::string& folder) override {
    if (++opened == holdAt) {
      PostMessageW(probe, kHold, 0, 0);
      // A window that does not answer would keep the walk here: only a deadline ends it then.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!answered && std::chrono::steady_clock::now() < deadline) Sleep(1);
    }
    return WindowsDirectoryLister::Open(folder);
  }
  HWND probe;
  int holdAt;
  std::atomic<int> opened{0};
  std::atomic<bool> answered{false};
};

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
        for (int i = 0; i < 2; ++i) PostMessageW(probe.Hwnd(), kWalk, reinterpret_cast<WPARAM>(dialog), 0);
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

  ProbeWindow probe{[this](UINT msg, WPARAM wParam) {
    if (msg == kHold) {
      if (onHold) onHold();
      held->answered = true;
    } else if (IsWindow(reinterpret_cast<HWND>(wParam))) {  // the picker: try again later
      PostMessageW(probe.Hwnd(), msg, wParam, 0);
    } else if (probeRuns++ == 0 && duringWalk) {  // the first messages to run now are the walk's
      duringWalk();
    }
  }};
  TempFolder temp;
  // A press through the dialogs: what it runs during the walk, and what the dialogs saw.
  std::function<void()> duringWalk;
  int probeRuns = 0;
  bool modalWithTheArrow = true;
  std::wstring boxDefault;
  // A walk held by a lister, and what the window does at the hold.
  HeldLister* held = nullptr;
  std::function<void()> onHold;
};

TEST_F(FolderPress, ModalDialogsThenTheTreeInOrderUnderTheHourglassOtherPressesIgnoredAndAQuitOrCloseAddsNothing) {
  Make({L"Root\\a.doc", L"Root\\~$a.doc", L"Root\\b.txt", L"Root\\Other\\d.doc", L"Root\\Sub\\b.doc",
        L"Root\\Sub\\Deep\\c.doc"});  // the example tree
  const std::wstring root = temp.File(L"Root");
  form->AppendEntries({"C:\\Earlier\\kept.doc"});
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
// here); hidden folders are in the platform's search below.
TEST_F(FolderPress, LinksBackAreNotWalkedAndDriveRootsAndSharesJoinRight) {
  Make({L"T\\a.doc", L"T\\S\\c.doc", L"Docs\\n.doc", L"Docs\\Sub\\m.doc"});
  ASSERT_TRUE(RunUnix("ln -s .. S/Back", temp.File(L"T"), [&] { return FileExists(temp.File(L"T\\S\\Back\\a.doc")); }));
  const std::string share = "quillory-" + std::to_string(GetCurrentProcessId());
  const std::string unc = "\\\\localhost\\" + share + "\\Docs";
  // Q: (the test prefix has only C: and Z:) and \\localhost\<share> are served from the prefix's devices.
  const std::string devices = "d=$PWD && cd $WINEPREFIX/dosdevices && ";
  ASSERT_TRUE(RunUnix(devices + "mkdir -p unc/localhost && ln -sfn $d/Docs q: && ln -sfn $d unc/localhost/" + share,
                      temp.Path(), [&] { return FileExists(Widen(unc + "\\n.doc")); }));
  Paths expected = Listed({L"T\\a.doc", L"T\\S\\c.doc"});
  expected.insert(expected.end(), {"Q:\\n.doc", "Q:\\Sub\\m.doc", unc + "\\n.doc", unc + "\\Sub\\m.doc"});
  for (const std::wstring& folder : {temp.File(L"T"), std::wstring(L"Q:\\"), Widen(unc)}) {
    AddFolderTree(*form, folder, L"doc");
  }
  EXPECT_TRUE(RunUnix(devices + "rm -f q: unc/localhost/" + share, temp.Path(),
                      [] { return !FileExists(L"Q:\\n.doc"); }));
  EXPECT_EQ(form->Files().Entries(), expected);
}

TEST_F(FolderPress, TheWalkFindsWhatThePlatformsSearchFindsInItsOrderLongListingsWhole) {
  Make({L"T\\a.doc", L"T\\B.DOC", L"T\\c.docx", L"T\\~$a.doc", L"T\\Résumé.dóc", L"T\\verylongfilename.doc",
        L"T\\folder.doc\\in.doc", L"T\\Sub\\d.doc", L"T\\Hidden\\h.doc", L"T\\System\\s.doc", L"T\\Sub\\secret.doc"});
  ASSERT_TRUE(SetFileAttributesW(temp.File(L"T\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN) &&
              SetFileAttributesW(temp.File(L"T\\System").c_str(), FILE_ATTRIBUTE_SYSTEM) &&
              SetFileAttributesW(temp.File(L"T\\Sub\\secret.doc").c_str(), FILE_ATTRIBUTE_HIDDEN));
  // 800 names take more than one 64 KB read of the folder's listing.
  ASSERT_TRUE(RunUnix("mkdir T/Many && touch T/Many/f{1000..1799}.doc", temp.Path(),
                      [&] { return FileExists(temp.File(L"T\\Many\\f1799.doc")); }));
  // The patterns themselves are pinned in tests/core; here the listing's names, short names,
  // attributes and the file system's own upper case.
  for (const wchar_t* extension : {L"doc", L"dÓc"}) {
    SCOPED_TRACE(Narrow(extension));
    const Paths platform = PlatformSearch(temp.File(L"T"), extension);
    const size_t before = form->Files().Count();
    AddFolderTree(*form, temp.File(L"T"), extension);
    EXPECT_EQ(Paths(form->Files().Entries().begin() + static_cast<long>(before), form->Files().Entries().end()),
              platform);
  }
  // Hidden and system files are more than the temporary folder's clean-up takes away.
  RunUnix("rm -rf T", temp.Path(), [&] { return !FileExists(temp.File(L"T")); });
}

TEST_F(FolderPress, TheWindowAnswersWhileTheWalkRunsAndACloseThenStopsItWithNothingAdded) {
  const std::string tree = "mkdir -p T/L{100..199} && touch T/L{100..199}/f.doc && touch made";
  ASSERT_TRUE(RunUnix(tree, temp.Path(), [&] { return FileExists(temp.File(L"made")); }));
  HeldLister closing(probe.Hwnd(), 50);
  held = &closing;
  onHold = [&] { SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0); };
  AddFolderTree(*form, temp.File(L"T"), L"doc", closing);
  EXPECT_TRUE(closing.answered && form->Closed());
  EXPECT_LT(closing.opened.load(), 101);  // the walk ended before the tree did
  EXPECT_EQ(form->Files().Count(), 0u);
}

}  // namespace
}  // namespace quillory::test
