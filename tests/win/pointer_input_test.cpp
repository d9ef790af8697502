// Real pointer input over the real window: the pointer shapes a user sees and a drag made
// with the mouse. Runs alone: it moves the system pointer.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

// Moves the real pointer and waits until the system holds it there.
bool MoveTo(POINT at) {
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1),
              MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1), 0, 0);
  return PumpUntil([&] {
    POINT now;
    GetCursorPos(&now);
    return now.x == at.x && now.y == at.y;
  });
}

TEST(PointerInput, TheHandOverButtonsTheArrowElsewhereAMouseDragAndTheHourglassThroughout) {
  auto form = MakeForm();  // drag.ico and HAND-M.CUR are installed beside the test program
  ASSERT_TRUE(form);
  SetForegroundWindow(form->Hwnd());
  for (int i = 1; i <= 4; ++i) form->AppendEntry("C:\\Docs\\" + std::to_string(i) + ".doc");
  PumpPending();
  HWND list = form->Control(IDC_LISTVIEW1);
  const auto row = [&](int position) {
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&rect));
    POINT point{40, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
  };
  RECT client;
  GetClientRect(form->Hwnd(), &client);
  POINT background{client.right - 3, client.bottom - 3};  // below the progress bar
  ClientToScreen(form->Hwnd(), &background);
  const auto center = [&](ControlId id) {
    RECT rect;
    GetWindowRect(form->Control(id), &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  };
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

  // Each move lands on the other shape, so each change is seen.
  const struct {
    POINT at;
    PointerShape shape;
  } stops[] = {{center(IDC_CHECK4), PointerShape::kCustom}, {background, PointerShape::kDefault},
               {center(IDC_CHECK1), PointerShape::kCustom}, {row(3), PointerShape::kDefault},
               {center(IDC_CHECK2), PointerShape::kCustom}, {row(0), PointerShape::kDefault}};
  for (const auto& stop : stops) {
    ASSERT_TRUE(MoveTo(stop.at));
    ASSERT_TRUE(PumpUntil([&] { return form->MousePointer() == stop.shape; })) << static_cast<int>(stop.shape);
    EXPECT_EQ(GetCursor() == arrow, stop.shape == PointerShape::kDefault);  // else the hand from HAND-M.CUR
    EXPECT_NE(GetCursor(), nullptr);
  }

  // The drag, from row 0. Each move is let through before the next: moves still waiting in
  // the queue are merged into one, and a jump trades two entries instead of walking.
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return form->Reorder().ButtonHeld(); }));
  for (int position : {1, 2}) {
    ASSERT_TRUE(MoveTo(row(position)));
    ASSERT_TRUE(PumpUntil([&] { return ListText(list, position) == L"C:\\Docs\\1.doc"; }));
  }
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form->Reorder().ButtonHeld(); }));
  EXPECT_EQ(ListText(list, 0), L"C:\\Docs\\2.doc");
  EXPECT_EQ(ListText(list, 1), L"C:\\Docs\\3.doc");
  EXPECT_EQ(ListText(list, 3), L"C:\\Docs\\4.doc");
  EXPECT_EQ(GetCursor(), arrow);  // after the release

  // Long work: moves over the buttons, the background and the list never replace the hourglass.
  form->SetMousePointer(PointerShape::kHourglass);
  for (POINT at : {center(IDC_CHECK1), center(IDC_CHECK2), center(IDC_CHECK4), background, row(1)}) {
    ASSERT_TRUE(MoveTo(at));
    PumpPending();
    EXPECT_EQ(form->MousePointer(), PointerShape::kHourglass);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  }
  form->SetMousePointer(PointerShape::kDefault);
  EXPECT_EQ(GetCursor(), arrow);  // over the list, at once, without a move
}

}  // namespace
}  // namespace quillory::test
