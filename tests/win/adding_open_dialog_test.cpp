// "Add Word Doc File(s)": the real Open dialog, answered from a watcher thread, over files made here.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "adding/open_dialog_press_win.h"
#include "app/main_window.h"
#include "common/utf_win.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

constexpr int kReadOnlyBox = 1040, kFilterCombo = 1136, kNameBox = 1148;  // in the Explorer-style Open dialog

class OpenDialogPress : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    ASSERT_TRUE(form);
  }
  void Press() { SendMessageW(form->Control(IDC_CHECK1), BM_CLICK, 0, 0); }
  // Answers the Open dialog: types `folder` (if any) and Open, then `names` as typed, or Cancel if
  // none; `look` gets what the user saw: title, file types, whether read-only is ticked, pointer.
  DialogWatcher::Answer Choose(std::wstring folder, std::wstring names, std::wstring* look = nullptr) {
    return [=, this](HWND dialog) {
      if (look) {
        *look = WindowText(dialog);
        HWND types = GetDlgItem(dialog, kFilterCombo);
        for (LRESULT i = 0, count = SendMessageW(types, CB_GETCOUNT, 0, 0); i < count; ++i) {
          wchar_t text[128] = {};
          SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
          *look += L"|" + std::wstring(text);
        }
        if (IsDlgButtonChecked(dialog, kReadOnlyBox) == BST_CHECKED) *look += L"|read-only";
        *look += L"|pointer " + std::to_wstring(static_cast<int>(form->MousePointer()));
      }
      if (names.empty()) PressDialogButton(dialog, IDCANCEL);
      for (const std::wstring& text : {folder, names}) {
        if (text.empty()) continue;
        SetDlgItemTextW(dialog, kNameBox, text.c_str());
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      }
      return true;
    };
  }
  const Paths& Entries() const { return form->Files().Entries(); }

  std::unique_ptr<Form1> form;
  TempFolder temp;
};

TEST_F(OpenDialogPress, ThreeFilesComeInTheOrderReturnedAndOneFileAsReturnedEachTimeItIsChosen) {
  for (const wchar_t* name : {L"Docs\\a.doc", L"Docs\\b.doc", L"Docs\\c.doc"}) temp.Write(name);
  form->AppendEntry("C:\\Earlier\\kept.doc");
  std::wstring look;
  {
    DialogWatcher watcher(Choose(temp.File(L"Docs"), L"\"c.doc\" \"a.doc\" \"b.doc\"", &look));
    Press();
  }
  DialogWatcher watcher(Choose(temp.File(L"Docs"), L"a.doc"));
  Press();
  Press();
  EXPECT_EQ(look, L"Add File(s) - Hold Ctrl to select multiple files|Word Documents (*.doc*)|All Files (*.*)"
                  L"|read-only|pointer 0");
  const std::string docs = Narrow(temp.File(L"Docs"));
  EXPECT_EQ(Entries(), (Paths{"C:\\Earlier\\kept.doc", docs + "\\c.doc", docs + "\\a.doc", docs + "\\b.doc",
                              docs + "\\a.doc", docs + "\\a.doc"}));
  EXPECT_EQ(SendMessageW(form->Control(IDC_CHECK1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(OpenDialogPress, CancelAddsNothingAndShowsNoHourglass) {
  form->AppendEntry("C:\\x.doc");
  std::wstring look;
  DialogWatcher watcher(Choose(L"", L"", &look));
  Press();
  EXPECT_TRUE(look.ends_with(L"|pointer 0")) << look;
  EXPECT_EQ(Entries(), Paths{"C:\\x.doc"});
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
}

TEST_F(OpenDialogPress, TwoFilesInADriveRootHaveOneBackslashAfterTheDrive) {
  const std::wstring name = L"quillory-root-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring a = name + L"-a.doc", b = name + L"-b.doc";
  for (const std::wstring& file : {a, b}) ASSERT_TRUE(std::ofstream(std::filesystem::path(L"C:\\" + file)) << "x");
  DialogWatcher watcher(Choose(L"C:\\", L"\"" + a + L"\" \"" + b + L"\""));
  Press();
  for (const std::wstring& file : {a, b}) DeleteFileW((L"C:\\" + file).c_str());
  EXPECT_EQ(Entries(), (Paths{"C:\\" + Narrow(a), "C:\\" + Narrow(b)}));
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
  ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }));  // noted just after the answer
  EXPECT_EQ(watcher.Seen()[0].title, L"Quillory");
  EXPECT_NE(watcher.Seen()[0].text.find(L"Nothing was added"), std::wstring::npos) << watcher.Seen()[0].text;

  rooms.clear();
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{.show = AnswerWith(L"C:\\x.doc", &rooms)});
  EXPECT_GE(rooms.at(0), 5000u * 100u);  // five thousand names of a hundred characters
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 1 << 16, AnswerWith(kLongAnswer, &rooms)});
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(Entries(), (Paths{"C:\\kept.doc", "C:\\x.doc", "C:\\Many\\first-file.doc", "C:\\Many\\second-file.doc",
                              "C:\\Many\\third-file.doc"}));
}

}  // namespace
}  // namespace quillory::test
