// Files dragged from the shell onto the list: the list's registered drop target, called as
// the system's drag-and-drop loop calls it, with data objects made here.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "filelist/drop_target_probe.h"
#include "platform/utf.h"
#include "support/adding_drivers.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

class ListDrop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  static void TearDownTestSuite() { OleUninitialize(); }
  void SetUp() override {
    form = MakeForm();
    ASSERT_TRUE(form);
    target = FindListDropTarget(form->Control(IDC_LISTVIEW1));
    ASSERT_NE(target, nullptr);
  }

  // One drag over the list and a drop, as the system would run it; the effects each step
  // gave back.
  struct Effects {
    DWORD enter, over, drop;
  };
  Effects DragAndDrop(IDataObject* data, DWORD proposed = kAnyEffect) {
    Effects effects{proposed, proposed, proposed};
    POINTL point{10, 10};
    EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, point, &effects.enter), S_OK);
    EXPECT_EQ(target->DragOver(MK_LBUTTON, point, &effects.over), S_OK);
    if (effects.over == DROPEFFECT_NONE) {
      target->DragLeave();  // the system drops nothing the target refused
    } else {
      EXPECT_EQ(target->Drop(data, 0, point, &effects.drop), S_OK);
    }
    data->Release();
    return effects;
  }

  const Paths& Entries() const { return form->Files().Entries(); }

  std::unique_ptr<Form1> form;
  IDropTarget* target = nullptr;
  TempFolder temp;
};

TEST_F(ListDrop, EveryDroppedPathIsListedUnchangedInItsOrder) {
  const std::vector<std::wstring> dropped{temp.Write(L"c.doc"), temp.Write(L"a.docx"), temp.Write(L"b.doc"),
                                          temp.Path(), temp.Write(L"notes.txt"), L"C:\\gone\\missing.doc",
                                          L"C:\\Ünïcode\\日本.doc"};
  form->AppendEntry("C:\\first.doc");
  const Effects effects = DragAndDrop(MakeFileDropData(dropped));

  Paths expected{"C:\\first.doc"};
  for (const std::wstring& path : dropped) expected.push_back(Narrow(path));
  EXPECT_EQ(Entries(), expected);
  // The effect the drag proposes is left as it is while dragging.
  EXPECT_EQ(effects.enter, kAnyEffect);
  EXPECT_EQ(effects.over, kAnyEffect);
}

TEST_F(ListDrop, ADropNeverTellsTheSourceToDeleteTheFiles) {
  const Effects effects = DragAndDrop(MakeFileDropData({temp.Write(L"kept.doc")}));
  EXPECT_EQ(effects.drop & DROPEFFECT_MOVE, 0u);
  EXPECT_EQ(effects.drop, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK));
  const Effects moveOnly = DragAndDrop(MakeFileDropData({temp.File(L"kept.doc")}), DROPEFFECT_MOVE);
  EXPECT_EQ(moveOnly.drop, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Entries(), (Paths{Narrow(temp.File(L"kept.doc")), Narrow(temp.File(L"kept.doc"))}));
}

TEST_F(ListDrop, TheSameFileDroppedTwiceIsListedTwiceAndAnEmptyListAddsNothing) {
  const std::wstring file = temp.Write(L"twice.doc");
  DragAndDrop(MakeFileDropData({file}));
  DragAndDrop(MakeFileDropData({file}));
  DragAndDrop(MakeFileDropData({}));
  EXPECT_EQ(Entries(), (Paths{Narrow(file), Narrow(file)}));
}

TEST_F(ListDrop, ABrokenFileListIsNotReadPastItsEnd) {
  form->AppendEntry("C:\\kept.doc");
  DragAndDrop(MakeFileDropData({L"C:\\unterminated.doc"}, false));
  EXPECT_EQ(Entries(), Paths{"C:\\kept.doc"});
}

TEST_F(ListDrop, TextIsRefusedWithTheNoDropEffectAndAddsNothing) {
  const Effects effects = DragAndDrop(MakeTextData(L"C:\\looks\\like\\a.doc"));
  EXPECT_EQ(effects.enter, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(effects.over, static_cast<DWORD>(DROPEFFECT_NONE));
  // Dropped anyway (a source that ignores the answer): still nothing.
  IDataObject* text = MakeTextData(L"C:\\x.doc");
  DWORD effect = kAnyEffect;
  EXPECT_EQ(target->Drop(text, 0, POINTL{1, 1}, &effect), S_OK);
  text->Release();
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(ListDrop, TheListStaysATargetAfterAClickAndUntilTheWindowCloses) {
  HWND list = form->Control(IDC_LISTVIEW1);
  form->AppendEntry("C:\\one.doc");
  RECT item{LVIR_BOUNDS};
  SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  PumpPending();
  EXPECT_EQ(FindListDropTarget(list), target);
  DragAndDrop(MakeFileDropData({L"C:\\two.doc"}));
  EXPECT_EQ(Entries(), (Paths{"C:\\one.doc", "C:\\two.doc"}));

  DestroyWindow(form->Hwnd());
  EXPECT_EQ(FindListDropTarget(list), nullptr);
}

}  // namespace
}  // namespace quillory::test
