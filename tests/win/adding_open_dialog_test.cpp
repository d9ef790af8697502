// "Add Word Doc File(s)": the real Open dialog, answered from a watcher thread, over files made
// here. How its answer becomes paths is tested in tests/core.
#include <windows.h>

#include <gtest/gtest.h>

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
  std::vector<PointerShape> pointers;
  // One press: the dialog opens `names` as typed in Docs, or is cancelled if there are none.
  auto press = [&](const std::wstring& names) {
    DialogWatcher watcher([&](HWND dialog) {
      looks.push_back(Look(dialog));
      pointers.push_back(form->MousePointer());
      if (names.empty()) {
        PressDialogButton(dialog, IDCANCEL);
        return true;
      }
      for (const std::wstring& text : {temp.File(L"Docs"), names}) {  // to the folder, then the files
        SetDlgItemTextW(dialog, kNameBox, text.c_str());
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      }
      return true;
    });
    SendMessageW(form->Control(IDC_CHECK1), BM_CLICK, 0, 0);
  };
  press(L"");
  press(L"\"c.doc\" \"a.doc\" \"b.doc\"");
  press(L"a.doc");
  press(L"a.doc");

  const std::wstring look =
      L"Add File(s) - Hold Ctrl to select multiple files|Word Documents (*.doc*)|All Files (*.*)|read-only";
  EXPECT_EQ(looks, std::vector<std::wstring>(4, look));
  EXPECT_EQ(pointers, std::vector<PointerShape>(4, PointerShape::kDefault));
  const std::string docs = Narrow(temp.File(L"Docs"));
  EXPECT_EQ(form->Files().Entries(), (Paths{"C:\\Earlier\\kept.doc", docs + "\\c.doc", docs + "\\a.doc",
                                            docs + "\\b.doc", docs + "\\a.doc", docs + "\\a.doc"}));
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(SendMessageW(form->Control(IDC_CHECK1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

// Wine's dialog writes past a short buffer instead of reporting it, so an answer that does not
// fit is played by a stand-in that behaves as the documented dialog does.
TEST(OpenDialogPress, TheRoomHoldsThousandsOfNamesAndGrowsForALongerAnswerOrTellsNothingWasAdded) {
  auto form = MakeForm();
  ASSERT_TRUE(form);
  std::vector<DWORD> rooms;
  auto answer = [&rooms](std::wstring text) -> ShowOpenDialog {
    return [&rooms, text](OPENFILENAMEW& dialog) {
      rooms.push_back(dialog.nMaxFile);
      if (text.size() + 1 > dialog.nMaxFile) {
        *reinterpret_cast<WORD*>(dialog.lpstrFile) = static_cast<WORD>(text.size() + 1);  // the room needed
        return OpenDialogOutcome::AnswerTooLong;
      }
      std::copy(text.c_str(), text.c_str() + text.size() + 1, dialog.lpstrFile);
      return OpenDialogOutcome::Chosen;
    };
  };
  const std::wstring longAnswer = L"C:\\Many\0first-file.doc\0second-file.doc\0third-file.doc\0"s;
  form->AppendEntry("C:\\kept.doc");
  DialogWatcher watcher(PressButton(IDOK));
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 24, answer(longAnswer)});  // shown again once, still short
  ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }));  // noted just after the answer
  EXPECT_EQ(watcher.Seen()[0].title, L"Quillory");
  EXPECT_NE(watcher.Seen()[0].text.find(L"Nothing was added"), std::wstring::npos) << watcher.Seen()[0].text;
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{.show = answer(L"C:\\x.doc")});
  AddFilesThroughOpenDialog(*form, OpenDialogRoom{16, 1 << 16, answer(longAnswer)});

  ASSERT_EQ(rooms.size(), 5u);
  EXPECT_EQ(rooms[0], 16u);
  EXPECT_EQ(rooms[1], 24u);
  EXPECT_GE(rooms[2], 5000u * 100u);  // five thousand names of a hundred characters
  EXPECT_GE(rooms[4], longAnswer.size() + 1);
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(form->Files().Entries(), (Paths{"C:\\kept.doc", "C:\\x.doc", "C:\\Many\\first-file.doc",
                                            "C:\\Many\\second-file.doc", "C:\\Many\\third-file.doc"}));
}

}  // namespace
}  // namespace quillory::test
