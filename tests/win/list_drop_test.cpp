// Files dragged onto the list: its drop target called as the system's drag loop calls it (parsing: tests/core).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/utf_win.h"
#include "filelist/drop_target_win.h"
#include "support/file_drop.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// One drag over the list and a drop, as the system runs it; the effects DragEnter, DragOver and Drop gave.
using Effects = std::array<DWORD, 3>;
Effects DragAndDrop(IDropTarget* target, DataOffer&& data) {
  Effects effects{kAnyEffect, kAnyEffect, kAnyEffect};
  EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, {10, 10}, &effects[0]), S_OK);
  EXPECT_EQ(target->DragOver(MK_LBUTTON, {10, 10}, &effects[1]), S_OK);
  // The system drops nothing the target refused.
  EXPECT_EQ(effects[1] == DROPEFFECT_NONE ? target->DragLeave() : target->Drop(&data, 0, {10, 10}, &effects[2]), S_OK);
  return effects;
}

TEST(ListDrop, FilesAreListedAsDroppedAndNeverMovedOtherDataIsRefusedAndTheTargetLastsAsLongAsTheWindow) {
  auto form = MakeForm();
  ASSERT_TRUE(form);
  HWND list = form->Control(IDC_LISTVIEW1);
  IDropTarget* target = FindListDropTarget(list);
  ASSERT_NE(target, nullptr);
  // A folder, a missing file or any other file is listed as it is, after the entries already there.
  const std::vector<std::wstring> dropped{ApplicationFolder(), L"C:\\gone\\notes.txt", L"C:\\Ünïcode\\日本.doc"};
  form->AppendEntry("C:\\first.doc");
  // The effect proposed is kept, less a move: the source would delete the files.
  const Effects effects = DragAndDrop(target, FileDrop(dropped.size(), [&](size_t i) { return dropped[i]; }));
  EXPECT_EQ(effects, (Effects{kAnyEffect, kAnyEffect, DROPEFFECT_COPY | DROPEFFECT_LINK}));
  const Effects text = DragAndDrop(target, DataOffer(CF_UNICODETEXT, "C:\\looks\\like\\a.doc"));
  EXPECT_EQ(text[0] | text[1], static_cast<DWORD>(DROPEFFECT_NONE));  // text gets the no-drop pointer
  EXPECT_EQ(form->Files().Entries(), (std::vector<std::string>{"C:\\first.doc", Narrow(dropped[0]), Narrow(dropped[1]),
                                                               "C:\\Ünïcode\\日本.doc"}));

  // A click on the list leaves it OLE's target, and closing the window lets the target go.
  RECT item{};
  ListView_GetItemRect(list, 0, &item, LVIR_BOUNDS);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2));
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2));
  EXPECT_EQ(RegisterDragDrop(list, target), DRAGDROP_E_ALREADYREGISTERED);
  target->AddRef();
  DestroyWindow(form->Hwnd());
  EXPECT_EQ(target->Release(), 0u);  // neither OLE nor the list holds it: revoked and let go
}

}  // namespace
}  // namespace quillory::test
