// "Add Word Doc File(s)": the real Open dialog, answered from a watcher thread, over files
// made for each test.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adding/open_dialog_press.h"
#include "app/main_window.h"
#include "platform/utf.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

// Controls of the Explorer-style Open dialog.
constexpr int kReadOnlyBox = 1040, kFilterCombo = 1136, kNameBox = 1148;

struct Look {
  std::wstring title, filters;
  bool readOnlyTicked = false;
};

// Answers the Open dialog: types `folder` (when given) and Open to go there, then chooses
// `names` as typed.
DialogWatcher::Answer Choose(std::wstring folder, std::wstring names, Look* look = nullptr) {
  return [=](HWND dialog) {
    if (look) {
      look->title = WindowText(dialog);
      HWND filters = GetDlgItem(dialog, kFilterCombo);
      for (LRESULT i = 0, count = SendMessageW(filters, CB_GETCOUNT, 0, 0); i < count; ++i) {
        wchar_t text[128] = {};
        SendMessageW(filters, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        look->filters += (i ? L"|" : L"") + std::wstring(text);
      }
      look->readOnlyTicked = IsDlgButtonChecked(dialog, kReadOnlyBox) == BST_CHECKED;
    }
    for (const std::wstring& text : {folder, names}) {
      if (text.empty()) continue;
      SetDlgItemTextW(dialog, kNameBox, text.c_str());
      SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }
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
  const Paths& Entries() const { return form->Files().Entries(); }

  std::unique_ptr<Form1> form;
  TempFolder temp;
};

TEST_F(OpenDialogPress, ThreeFilesComeInTheOrderReturnedFromTheDialogAsDesigned) {
  for (const wchar_t* name : {L"Docs\\a.doc", L"Docs\\b.doc", L"Docs\\c.doc"}) temp.Write(name);
  form->AppendEntry("C:\\Earlier\\kept.doc");
  Look look;
  DialogWatcher watcher(Choose(temp.File(L"Docs"), L"\"c.doc\" \"a.doc\" \"b.doc\"", &look));
  Press();

  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(look.title, L"Add File(s) - Hold Ctrl to select multiple files");
  EXPECT_EQ(look.filters, L"Word Documents (*.doc*)|All Files (*.*)");
  EXPECT_TRUE(look.readOnlyTicked);
  const std::string docs = Narrow(temp.File(L"Docs"));
  EXPECT_EQ(Entries(), (Paths{"C:\\Earlier\\kept.doc", docs + "\\c.doc", docs + "\\a.doc", docs + "\\b.doc"}));
  EXPECT_EQ(SendMessageW(form->Control(IDC_CHECK1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(OpenDialogPress, OneFileIsListedAsReturnedAndTwiceWhenChosenTwice) {
  const std::string path = Narrow(temp.Write(L"One\\only.docx"));
  DialogWatcher watcher(Choose(temp.File(L"One"), L"only.docx"));
  Press();
  Press();
  EXPECT_EQ(watcher.Count(), 2u);
  EXPECT_EQ(Entries(), (Paths{path, path}));
}

TEST_F(OpenDialogPress, CancelAddsNothingAndShowsNoHourglass) {
  form->AppendEntry("C:\\x.doc");
  int pointerInDialog = -1;
  DialogWatcher watcher([&](HWND dialog) {
    pointerInDialog = form->MousePointer();
    PressDialogButton(dialog, IDCANCEL);
    return true;
  });
  Press();
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(Entries(), Paths{"C:\\x.doc"});
  EXPECT_EQ(pointerInDialog, kPointerDefault);
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
}

TEST_F(OpenDialogPress, TwoFilesInADriveRootHaveOneBackslashAfterTheDrive) {
  const std::wstring base = L"quillory-root-" + std::to_wstring(GetCurrentProcessId());
  for (const wchar_t* end : {L"-a.doc", L"-b.doc"}) {
    HANDLE file = CreateFileW((L"C:\\" + base + end).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  DialogWatcher watcher(Choose(L"C:\\", L"\"" + base + L"-a.doc\" \"" + base + L"-b.doc\""));
  Press();
  for (const wchar_t* end : {L"-a.doc", L"-b.doc"}) DeleteFileW((L"C:\\" + base + end).c_str());
  EXPECT_EQ(Entries(), (Paths{"C:\\" + Narrow(base) + "-a.doc", "C:\\" + Narrow(base) + "-b.doc"}));
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
    std::copy(answer.c_str(), answer.c_str() + answer.size() + 1, dialog.lpstrFile);
    return OpenDialogOutcome::Chosen;
  };
}

const std::wstring kLongAnswer = L"C:\\Many\0first-file.doc\0second-file.doc\0third-file.doc\0"s;

TEST_F(OpenDialogPress, TheRoomHoldsThousandsOfNamesAndGrowsForAnAnswerTooLongOrTellsNothingWasAdded) {
  form->AppendEntry("C:\\kept.doc");
  std::vector<DWORD> rooms;
  DialogWatcher watcher(PressButton(IDOK));
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 24, AnswerWith(kLongAnswer, &rooms)});
  EXPECT_EQ(rooms, (std::vector<DWORD>{16, 24}));
  EXPECT_EQ(Entries(), Paths{"C:\\kept.doc"});
  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].title, L"Quillory");
  EXPECT_NE(watcher.Seen()[0].text.find(L"Nothing was added"), std::wstring::npos) << watcher.Seen()[0].text;

  rooms.clear();
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{.show = AnswerWith(L"C:\\x.doc", &rooms)});
  EXPECT_GE(rooms.at(0), 5000u * 100u);  // five thousand names of a hundred characters
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 1 << 16, AnswerWith(kLongAnswer, &rooms)});
  EXPECT_GE(rooms.at(2), kLongAnswer.size() + 1);
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(Entries(), (Paths{"C:\\kept.doc", "C:\\x.doc", "C:\\Many\\first-file.doc", "C:\\Many\\second-file.doc",
                              "C:\\Many\\third-file.doc"}));
}

}  // namespace
}  // namespace quillory::test
