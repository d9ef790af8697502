// The list's drag image, "drag.ico" beside the program: read at each click on an entry, made
// again only when the file has changed, gone when the file is.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <utility>

#include "app/main_window.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

// The pointer the list shows while an entry is held after a click on it.
HCURSOR PointerWhileHeld(HWND list) {
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  const LPARAM at = MAKELPARAM(row.left + 10, (row.top + row.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_SETCURSOR, reinterpret_cast<WPARAM>(list), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  const HCURSOR shown = GetCursor();
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  return shown;
}

// The hot spot of a pointer, which tells the two pointer files apart.
std::pair<DWORD, DWORD> HotSpot(HCURSOR pointer) {
  ICONINFO info{};
  if (!GetIconInfo(pointer, &info)) return {-1u, -1u};
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return {info.xHotspot, info.yHotspot};
}

// The two pointer files installed beside the program, each at its hot spot (the drag image points
// with the middle of its arrow, the hand with its index fingertip).
TEST(DragPointerFile, TheSameFileKeepsItsImageAChangedOneIsReadAgainAndAMissingOneLeavesTheArrow) {
  TempFolder folder;
  const std::wstring icon = folder.File(L"drag.ico");
  ASSERT_TRUE(CopyFileW((ApplicationFolder() + L"\\drag.ico").c_str(), icon.c_str(), FALSE));
  Form1Options options;
  options.appFolder = folder.Path();
  auto form = MakeForm(std::move(options));
  ASSERT_TRUE(form);
  form->AppendEntries({"C:\\Docs\\1.doc"});
  PumpPending();
  HWND list = form->Control(IDC_LISTVIEW1);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

  const HCURSOR first = PointerWhileHeld(list);
  EXPECT_EQ(HotSpot(first), std::pair(16ul, 16ul));  // drag.ico's, in the middle of its 32 pixels
  EXPECT_EQ(PointerWhileHeld(list), first);  // the same file: the same image, not made again

  // Another picture in its place (the hand) shows at the next click.
  ASSERT_TRUE(CopyFileW((ApplicationFolder() + L"\\HAND-M.CUR").c_str(), icon.c_str(), FALSE));
  EXPECT_EQ(HotSpot(PointerWhileHeld(list)), std::pair(12ul, 1ul));

  ASSERT_TRUE(DeleteFileW(icon.c_str()));
  EXPECT_EQ(PointerWhileHeld(list), arrow);
}

}  // namespace
}  // namespace quillory::test
