// "Add Word Doc File(s)": the real Open dialog, driven from a watcher thread, over files
// made for each test.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "adding/open_dialog_press.h"
#include "app/main_window.h"
#include "platform/utf.h"
#include "support/adding_drivers.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

struct OpenDialogLook {
  std::wstring title;
  std::vector<std::wstring> filters;
  bool readOnlyTicked = false;
  bool nameBoxEmpty = false;
  bool explorerStyle = false;
};

// Answers the Open dialog: goes to `folder` (when given), then chooses `names` as typed.
DialogWatcher::Answer Choose(std::wstring folder, std::wstring names, OpenDialogLook* look = nullptr) {
  return [=](HWND dialog) {
    if (look) {
      look->title = WindowText(dialog);
      look->filters = OpenDialogFilters(dialog);
      look->readOnlyTicked = SendMessageW(GetDlgItem(dialog, kOpenReadOnlyBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
      look->nameBoxEmpty = WindowText(OpenDialogNameBox(dialog)).empty();
      look->explorerStyle = GetDlgItem(dialog, kOpenLookInCombo) != nullptr;
    }
    if (!folder.empty()) EnterInOpenDialog(dialog, folder);
    EnterInOpenDialog(dialog, names);
    return true;
  };
}

class OpenDialogPress : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  static void TearDownTestSuite() { OleUninitialize(); }
  void SetUp() override {
    form = MakeForm();
    ASSERT_TRUE(form);
  }
  void Press() { SendMessageW(form->Control(IDC_CHECK1), BM_CLICK, 0, 0); }
  std::string Utf8(const std::wstring& path) const { return Narrow(path); }
  const Paths& Entries() const { return form->Files().Entries(); }

  std::unique_ptr<Form1> form;
  TempFolder temp;
};

TEST_F(OpenDialogPress, ThreeFilesComeInTheOrderReturnedFromTheDialogAsDesigned) {
  for (const wchar_t* name : {L"Docs\\a.doc", L"Docs\\b.doc", L"Docs\\c.doc"}) temp.Write(name);
  form->AppendEntry("C:\\Earlier\\kept.doc");
  OpenDialogLook look;
  DialogWatcher watcher(Choose(temp.File(L"Docs"), L"\"c.doc\" \"a.doc\" \"b.doc\"", &look));
  Press();

  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(look.title, L"Add File(s) - Hold Ctrl to select multiple files");
  EXPECT_EQ(look.filters, (std::vector<std::wstring>{L"Word Documents (*.doc*)", L"All Files (*.*)"}));
  EXPECT_TRUE(look.readOnlyTicked);
  EXPECT_TRUE(look.nameBoxEmpty);
  EXPECT_TRUE(look.explorerStyle);

  const std::string docs = Utf8(temp.File(L"Docs"));
  EXPECT_EQ(Entries(), (Paths{"C:\\Earlier\\kept.doc", docs + "\\c.doc", docs + "\\a.doc", docs + "\\b.doc"}));
  EXPECT_EQ(SendMessageW(form->Control(IDC_CHECK1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(OpenDialogPress, OneFileIsListedAsReturnedAndTwiceWhenChosenTwice) {
  temp.Write(L"One\\only.docx");
  DialogWatcher watcher(Choose(temp.File(L"One"), L"only.docx"));
  Press();
  Press();
  EXPECT_EQ(watcher.Count(), 2u);
  const std::string path = Utf8(temp.File(L"One\\only.docx"));
  EXPECT_EQ(Entries(), (Paths{path, path}));
}

TEST_F(OpenDialogPress, CancelAddsNothingAndSaysNothing) {
  form->AppendEntry("C:\\x.doc");
  DialogWatcher watcher(PressButton(IDCANCEL));
  Press();
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(Entries(), Paths{"C:\\x.doc"});
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
}

TEST_F(OpenDialogPress, TwoFilesInADriveRootHaveOneBackslashAfterTheDrive) {
  const std::wstring stem = L"C:\\quillory-root-" + std::to_wstring(GetCurrentProcessId());
  for (const wchar_t* name : {L"-a.doc", L"-b.doc"}) {
    HANDLE file = CreateFileW((stem + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  const std::wstring base = stem.substr(3);
  DialogWatcher watcher(Choose(L"C:\\", L"\"" + base + L"-a.doc\" \"" + base + L"-b.doc\""));
  Press();
  DeleteFileW((stem + L"-a.doc").c_str());
  DeleteFileW((stem + L"-b.doc").c_str());
  EXPECT_EQ(Entries(), (Paths{Utf8(stem + L"-a.doc"), Utf8(stem + L"-b.doc")}));
}

// Wine's dialog writes past a short buffer instead of reporting it, so the answer that does
// not fit is played by a stand-in that behaves as the documented dialog does.
ShowOpenDialog AnswerWith(std::wstring answer, std::vector<DWORD>* rooms) {
  return [answer, rooms](OPENFILENAMEW& dialog) {
    rooms->push_back(dialog.nMaxFile);
    if (answer.size() + 1 > dialog.nMaxFile) {
      *reinterpret_cast<WORD*>(dialog.lpstrFile) = static_cast<WORD>(answer.size() + 1);
      return OpenDialogOutcome::AnswerTooLong;
    }
    std::copy(answer.begin(), answer.end(), dialog.lpstrFile);
    dialog.lpstrFile[answer.size()] = L'\0';
    return OpenDialogOutcome::Chosen;
  };
}

const std::wstring kLongAnswer = L"C:\\Many\0first-file.doc\0second-file.doc\0third-file.doc\0"s;

TEST_F(OpenDialogPress, AnAnswerTooLongForTheRoomOpensTheDialogAgainWithRoomForIt) {
  std::vector<DWORD> rooms;
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 1 << 16, AnswerWith(kLongAnswer, &rooms)});
  ASSERT_EQ(rooms.size(), 2u);
  EXPECT_GE(rooms[1], kLongAnswer.size() + 1);
  EXPECT_EQ(Entries(), (Paths{"C:\\Many\\first-file.doc", "C:\\Many\\second-file.doc", "C:\\Many\\third-file.doc"}));
}

TEST_F(OpenDialogPress, WhenTheAnswerStillDoesNotFitTheUserIsToldNothingWasAdded) {
  form->AppendEntry("C:\\kept.doc");
  std::vector<DWORD> rooms;
  DialogWatcher watcher(PressButton(IDOK));
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 24, AnswerWith(kLongAnswer, &rooms)});
  EXPECT_EQ(rooms, (std::vector<DWORD>{16, 24}));
  EXPECT_EQ(Entries(), Paths{"C:\\kept.doc"});
  ASSERT_EQ(watcher.Count(), 1u);
  const SeenDialog message = watcher.Seen().front();
  EXPECT_EQ(message.title, L"Quillory");
  EXPECT_NE(message.text.find(L"Nothing was added"), std::wstring::npos) << message.text;
}

TEST_F(OpenDialogPress, TheRoomHoldsThousandsOfNamesFromTheStart) {
  std::vector<DWORD> rooms;
  OpenDialogRoom room;
  room.show = AnswerWith(L"C:\\x.doc", &rooms);
  AddFilesThroughOpenDialog(*form, room);
  ASSERT_EQ(rooms.size(), 1u);
  EXPECT_GE(rooms[0], 5000u * 100u);  // five thousand names of a hundred characters
  EXPECT_EQ(Entries(), Paths{"C:\\x.doc"});
}

}  // namespace
}  // namespace quillory::test
