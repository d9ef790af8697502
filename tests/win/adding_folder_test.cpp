// " Add All Word Doc Files In Folder": the input box, the shell's folder picker driven from a
// watcher thread, and the walk over folder trees made for each test.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "adding/add_folder_press.h"
#include "adding/folder_picker.h"
#include "adding/input_box.h"
#include "app/main_window.h"
#include "platform/utf.h"
#include "support/adding_drivers.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
constexpr UINT kProbeMessage = WM_APP + 7;

// A window of the test's own that runs `onProbe` on the UI thread once the dialog named in
// the posted message is gone: the first messages to run after the picker closes are those
// the walk lets through.
class WalkProbe {
 public:
  WalkProbe() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuilloryWalkProbe";
    RegisterClassW(&windowClass);
    hwnd_ = CreateWindowW(L"QuilloryWalkProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~WalkProbe() { DestroyWindow(hwnd_); }
  // Two copies go round while the dialog is up: the dialog's loop drops the message it has
  // just taken when it ends, and one copy must survive it.
  void AfterDialog(HWND dialog) {
    for (int copy = 0; copy < 2; ++copy) PostMessageW(hwnd_, kProbeMessage, reinterpret_cast<WPARAM>(dialog), 0);
  }

  std::function<void()> onProbe;
  std::atomic<int> runs{0};

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* probe = reinterpret_cast<WalkProbe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg != kProbeMessage || !probe) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (IsWindow(reinterpret_cast<HWND>(wParam))) {
      PostMessageW(hwnd, msg, wParam, lParam);  // the dialog is still up: later
    } else if (probe->runs++ == 0 && probe->onProbe) {
      probe->onProbe();
    }
    return 0;
  }
  HWND hwnd_ = nullptr;
};

// What the user saw of the two dialogs.
struct Seen {
  std::wstring boxTitle, boxPrompt, boxDefault;
  std::vector<std::wstring> boxButtons;
  bool boxModal = false;
  std::wstring pickerText;
  bool pickerModal = false;
  int pointerDuringDialogs = -1;
  int pickerShown = 0;
  bool pickerPathFound = true;
};

class FolderPress : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  static void TearDownTestSuite() { OleUninitialize(); }
  void SetUp() override {
    Form1Options options;
    options.onClosed = [this] { closedCalls++; };
    form = MakeForm(std::move(options));
    ASSERT_TRUE(form);
  }

  // Answers the input box with `extension` (nullopt: Cancel) and the picker with `folder`
  // (nullopt: Cancel).
  DialogWatcher::Answer Answer(std::optional<std::wstring> extension, std::optional<std::wstring> folder) {
    return [this, extension, folder, attempts = 0](HWND dialog) mutable {
      HWND owner = GetWindow(dialog, GW_OWNER);
      const bool modal = owner == form->Hwnd() && !IsWindowEnabled(form->Hwnd());
      seen.pointerDuringDialogs = std::max(seen.pointerDuringDialogs, form->MousePointer());
      if (HWND answer = GetDlgItem(dialog, kInputBoxAnswerId)) {
        seen.boxTitle = WindowText(dialog);
        seen.boxPrompt = WindowText(GetDlgItem(dialog, kInputBoxPromptId));
        seen.boxDefault = WindowText(answer);
        seen.boxButtons = DescribeDialog(dialog).buttons;
        seen.boxModal = modal;
        if (!extension) {
          PressDialogButton(dialog, IDCANCEL);
        } else {
          SetWindowTextW(answer, extension->c_str());
          PressDialogButton(dialog, IDOK);
        }
        return true;
      }
      if (!FindChildOfClass(dialog, WC_TREEVIEWW)) return false;
      seen.pickerShown++;
      seen.pickerText = DescribeDialog(dialog).text;
      seen.pickerModal = modal;
      if (!folder) {
        PressDialogButton(dialog, IDCANCEL);
        return true;
      }
      probe.AfterDialog(dialog);
      if (ChooseInFolderPicker(dialog, *folder)) return true;
      if (++attempts < 100) return false;  // the tree may still be filling
      seen.pickerPathFound = false;
      PressDialogButton(dialog, IDCANCEL);
      return true;
    };
  }

  // One press of the button, answering the dialogs as told.
  void Press(std::optional<std::wstring> extension, std::optional<std::wstring> folder) {
    DialogWatcher watcher(Answer(std::move(extension), std::move(folder)));
    SendMessageW(form->Control(IDC_CHECK4), BM_CLICK, 0, 0);
    dialogsAnswered += static_cast<int>(watcher.Count());
  }

  const Paths& Entries() const { return form->Files().Entries(); }
  std::string Utf8(const std::wstring& relative) const { return Narrow(temp.File(relative)); }

  void Hide(const std::wstring& relative, DWORD attribute = FILE_ATTRIBUTE_HIDDEN) {
    const std::wstring path = temp.File(relative);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | attribute));
  }

  std::unique_ptr<Form1> form;
  TempFolder temp;
  WalkProbe probe;
  Seen seen;
  int dialogsAnswered = 0;
  int closedCalls = 0;
};

void MakeExampleTree(const TempFolder& temp) {
  for (const wchar_t* name : {L"Root\\a.doc", L"Root\\~$a.doc", L"Root\\b.txt", L"Root\\Other\\d.doc",
                              L"Root\\Sub\\b.doc", L"Root\\Sub\\Deep\\c.doc"}) {
    temp.Write(name);
  }
}

TEST_F(FolderPress, TheExampleTreeGivesItsFourEntriesInOrderUnderTheHourglass) {
  MakeExampleTree(temp);
  form->AppendEntry("C:\\Earlier\\kept.doc");
  int pointerDuringWalk = -1;
  probe.onProbe = [&] { pointerDuringWalk = form->MousePointer(); };
  Press(L"doc", temp.File(L"Root"));

  EXPECT_EQ(seen.boxTitle, L"Quillory");
  EXPECT_EQ(seen.boxPrompt, L"Enter file extension to load:");
  EXPECT_EQ(seen.boxDefault, L"doc");
  EXPECT_EQ(seen.boxButtons, (std::vector<std::wstring>{L"OK", L"Cancel"}));
  EXPECT_TRUE(seen.boxModal);
  EXPECT_NE(seen.pickerText.find(L"Please select folder to add:"), std::wstring::npos) << seen.pickerText;
  EXPECT_TRUE(seen.pickerModal);
  ASSERT_TRUE(seen.pickerPathFound);

  EXPECT_EQ(Entries(), (Paths{"C:\\Earlier\\kept.doc", Utf8(L"Root\\a.doc"), Utf8(L"Root\\Other\\d.doc"),
                              Utf8(L"Root\\Sub\\b.doc"), Utf8(L"Root\\Sub\\Deep\\c.doc")}));
  EXPECT_EQ(seen.pointerDuringDialogs, kPointerDefault);
  EXPECT_EQ(pointerDuringWalk, kPointerHourglass);
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  EXPECT_EQ(SendMessageW(form->Control(IDC_CHECK4), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(FolderPress, CancelAtEitherStepOrAnEmptyAnswerChangesNothing) {
  MakeExampleTree(temp);
  form->AppendEntry("C:\\x.doc");

  Press(std::nullopt, temp.File(L"Root"));
  EXPECT_EQ(dialogsAnswered, 1);  // no picker after Cancel
  Press(L"", temp.File(L"Root"));
  EXPECT_EQ(dialogsAnswered, 2);  // nor after an empty answer
  EXPECT_EQ(seen.pickerShown, 0);
  Press(L"doc", std::nullopt);
  EXPECT_EQ(dialogsAnswered, 4);
  EXPECT_EQ(seen.pickerShown, 1);

  EXPECT_EQ(Entries(), Paths{"C:\\x.doc"});
  EXPECT_EQ(seen.pointerDuringDialogs, kPointerDefault);
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
}

TEST_F(FolderPress, HiddenFoldersAreNotWalkedButHiddenFilesAreListed) {
  for (const wchar_t* name : {L"Tree\\shown.doc", L"Tree\\secret.doc", L"Tree\\Hidden\\inner.doc",
                              L"Tree\\System\\sys.doc", L"Tree\\Open\\open.doc"}) {
    temp.Write(name);
  }
  Hide(L"Tree\\secret.doc");
  Hide(L"Tree\\Hidden");
  Hide(L"Tree\\System", FILE_ATTRIBUTE_SYSTEM);
  Press(L"doc", temp.File(L"Tree"));
  EXPECT_EQ(Entries(), (Paths{Utf8(L"Tree\\secret.doc"), Utf8(L"Tree\\shown.doc"), Utf8(L"Tree\\Open\\open.doc")}));
}

TEST_F(FolderPress, TheExtensionIsUsedAsTyped) {
  for (const wchar_t* name : {L"Mixed\\a.doc", L"Mixed\\b.txt", L"Mixed\\~lock.doc", L"Mixed\\two..doc",
                              L"Mixed\\S\\c.docx"}) {
    temp.Write(name);
  }
  Press(L"*", temp.File(L"Mixed"));
  EXPECT_EQ(Entries(), (Paths{Utf8(L"Mixed\\a.doc"), Utf8(L"Mixed\\b.txt"), Utf8(L"Mixed\\two..doc"),
                              Utf8(L"Mixed\\S\\c.docx")}));
  form = MakeForm();
  Press(L".doc", temp.File(L"Mixed"));
  EXPECT_EQ(Entries(), Paths{Utf8(L"Mixed\\two..doc")});
}

TEST_F(FolderPress, ManyMatchingFilesInOneFolderAllComeInOrderAndTwiceForTwoPresses) {
  Paths expected;
  for (int i = 0; i < 151; ++i) {
    const std::wstring name = L"Many\\f" + std::to_wstring(1000 + i) + L".doc";
    temp.Write(name);
    expected.push_back(Utf8(name));
  }
  Press(L"doc", temp.File(L"Many"));
  EXPECT_EQ(Entries(), expected);
  AddFolderTree(*form, temp.File(L"Many"), L"doc");
  EXPECT_EQ(Entries().size(), 302u);
  EXPECT_EQ(Entries()[151], expected[0]);
}

TEST_F(FolderPress, ALinkBackIntoTheTreeEndsAndEachFolderIsListedOnce) {
  temp.Write(L"Loop\\a.doc");
  temp.Write(L"Loop\\Sub\\b.doc");
  const std::string link = UnixPath(temp.File(L"Loop\\Sub\\Back"));
  ASSERT_TRUE(RunUnixCommand("ln -s '" + UnixPath(temp.File(L"Loop")) + "' '" + link + "'", [&] {
    return GetFileAttributesW(temp.File(L"Loop\\Sub\\Back\\a.doc").c_str()) != INVALID_FILE_ATTRIBUTES;
  }));
  Press(L"doc", temp.File(L"Loop"));
  EXPECT_EQ(Entries(), (Paths{Utf8(L"Loop\\a.doc"), Utf8(L"Loop\\Sub\\b.doc")}));
}

TEST_F(FolderPress, ThePickerGivesADriveRootWithItsBackslashAndOtherFoldersWithout) {
  temp.Write(L"Picked\\x.doc");
  std::wstring chosen;
  {
    DialogWatcher watcher(Answer(L"doc", L"C:\\"));
    chosen = BrowseForFolder(form->Hwnd(), L"Please select folder to add:");
  }
  EXPECT_EQ(chosen, L"C:\\");
  {
    DialogWatcher watcher(Answer(L"doc", temp.File(L"Picked")));
    chosen = BrowseForFolder(form->Hwnd(), L"Please select folder to add:");
  }
  EXPECT_EQ(chosen, temp.File(L"Picked"));
  {
    DialogWatcher watcher(Answer(L"doc", std::nullopt));
    chosen = BrowseForFolder(form->Hwnd(), L"Please select folder to add:");
  }
  EXPECT_EQ(chosen, L"");
  EXPECT_TRUE(seen.pickerPathFound);
}

TEST_F(FolderPress, ADriveRootJoinsWithOneBackslash) {
  // A drive letter of the Wine prefix leads to a folder of the test's own; the picker does
  // not offer it, so the walk is started as the picker would start it.
  wchar_t letter = 0;
  for (wchar_t candidate = L'P'; candidate <= L'Y' && !letter; ++candidate) {
    if (!(GetLogicalDrives() & (1u << (candidate - L'A')))) letter = candidate;
  }
  ASSERT_NE(letter, 0);
  temp.Write(L"Drive\\r.doc");
  temp.Write(L"Drive\\S\\s.doc");
  const std::string device = WineDosDevices() + "/" + static_cast<char>(towlower(letter)) + ":";
  const std::wstring root{letter, L':', L'\\'};
  ASSERT_TRUE(RunUnixCommand("ln -sfn '" + UnixPath(temp.File(L"Drive")) + "' '" + device + "'", [&] {
    return GetFileAttributesW((root + L"r.doc").c_str()) != INVALID_FILE_ATTRIBUTES;
  }));
  AddFolderTree(*form, root, L"doc");
  RunUnixCommand("rm -f '" + device + "'", [] { return true; });
  const std::string drive = Narrow(root);
  EXPECT_EQ(Entries(), (Paths{drive + "r.doc", drive + "S\\s.doc"}));
}

TEST_F(FolderPress, ANetworkFolderKeepsItsTwoLeadingBackslashes) {
  // Wine serves \\localhost\<share> from a folder of its prefix; the picker offers no
  // network places there, so the walk is started as the picker would start it.
  const std::string share = "quillory-share-" + std::to_string(GetCurrentProcessId());
  const std::string unixShare = WineDosDevices() + "/unc/localhost/" + share;
  ASSERT_TRUE(RunUnixCommand("mkdir -p '" + unixShare + "/Docs/Sub' && touch '" + unixShare + "/Docs/n.doc' '" +
                                 unixShare + "/Docs/Sub/m.doc'",
                             [&] {
                               return GetFileAttributesW(Widen("\\\\localhost\\" + share + "\\Docs\\Sub\\m.doc").c_str()) !=
                                      INVALID_FILE_ATTRIBUTES;
                             }));
  const std::string docs = "\\\\localhost\\" + share + "\\Docs";
  AddFolderTree(*form, Widen(docs), L"doc");
  RunUnixCommand("rm -rf '" + unixShare + "'", [] { return true; });
  EXPECT_EQ(Entries(), (Paths{docs + "\\n.doc", docs + "\\Sub\\m.doc"}));
}

TEST_F(FolderPress, PathsPastTheClassicLimitAreWalkedAndListed) {
  std::wstring relative = L"Long";
  while (temp.Path().size() + relative.size() < 300) relative += L"\\folder-with-a-long-name";
  const std::wstring deep = L"\\\\?\\" + temp.File(relative);
  for (size_t slash = deep.find(L'\\', 4 + temp.Path().size()); slash != std::wstring::npos; slash = deep.find(L'\\', slash + 1)) {
    CreateDirectoryW(deep.substr(0, slash).c_str(), nullptr);
  }
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  HANDLE file = CreateFileW((deep + L"\\deep.doc").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  temp.Write(L"Long\\top.doc");
  AddFolderTree(*form, temp.File(L"Long"), L"doc");
  EXPECT_EQ(Entries(), (Paths{Utf8(L"Long\\top.doc"), Utf8(relative + L"\\deep.doc")}));
}

TEST_F(FolderPress, OtherPressesDuringTheWalkAreIgnored) {
  MakeExampleTree(temp);
  int busyDialogs = -1;
  probe.onProbe = [&] {
    DialogWatcher unexpected(PressButton(IDCANCEL));
    for (ControlId button : {IDC_CHECK1, IDC_CHECK4, IDC_CHECK2}) SendMessageW(form->Control(button), BM_CLICK, 0, 0);
    busyDialogs = static_cast<int>(unexpected.Count());
  };
  Press(L"doc", temp.File(L"Root"));
  EXPECT_EQ(busyDialogs, 0);
  EXPECT_EQ(Entries().size(), 4u);
  for (ControlId button : {IDC_CHECK1, IDC_CHECK4, IDC_CHECK2}) {
    EXPECT_EQ(SendMessageW(form->Control(button), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  }
}

TEST_F(FolderPress, ClosingTheWindowDuringTheWalkEndsItWithNothingAdded) {
  MakeExampleTree(temp);
  probe.onProbe = [&] { SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0); };
  Press(L"doc", temp.File(L"Root"));
  EXPECT_EQ(probe.runs.load(), 1);
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(closedCalls, 1);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(FolderPress, AQuitRequestDuringTheWalkEndsItAndStaysForTheMainLoop) {
  MakeExampleTree(temp);
  probe.onProbe = [] { PostQuitMessage(3); };
  Press(L"doc", temp.File(L"Root"));
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace quillory::test
