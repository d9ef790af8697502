// "Add Word Doc File(s)": the real Open dialog, answered from a watcher thread, over files made
// here. How its answer becomes paths is tested in tests/core.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "adding/open_dialog_press_win.h"
#include "common/utf_win.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

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

TEST(OpenDialogPress, ChosenFilesComeInTheOrderReturnedEachTimeTheyAreChosenAndCancelAddsNothing) {
  auto form = MakeForm();
  ASSERT_TRUE(form);
  TempFolder temp;
  for (const wchar_t* name : {L"Docs\\a.doc", L"Docs\\b.doc", L"Docs\\c.doc"}) temp.Write(name);
  form->AppendEntry("C:\\Earlier\\kept.doc");
  std::vector<std::wstring> looks;
  // One press each: the dialog goes to Docs and opens the names as typed there; none is Cancel.
  for (const std::wstring names : {L"", L"\"c.doc\" \"a.doc\" \"b.doc\"", L"a.doc"}) {
    DialogWatcher watcher([&](HWND dialog) {
      looks.push_back(Look(dialog) + (form->MousePointer() == PointerShape::kDefault ? L"" : L"|busy pointer"));
      if (names.empty()) {
        PressDialogButton(dialog, IDCANCEL);
        return;
      }
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
TEST(OpenDialogPress, TheRoomHoldsThousandsOfNamesAndGrowsForALongerAnswerOrTellsNothingWasAdded) {
  auto form = MakeForm();
  ASSERT_TRUE(form);
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

}  // namespace
}  // namespace quillory::test
