// Real pointer input over the real window: the pointer shapes a user sees and a drag made
// with the mouse. Runs alone: it moves the system pointer.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

POINT CenterOnScreen(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void SendMouse(DWORD flags, POINT at = {}) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_MOVE) {
    input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  SendInput(1, &input, sizeof input);
}

// Moves the real pointer and waits until the system holds it there and the window has seen it.
bool MoveTo(POINT at) {
  SendMouse(MOUSEEVENTF_MOVE, at);
  return PumpUntil([&] {
    POINT now;
    GetCursorPos(&now);
    return now.x == at.x && now.y == at.y;
  });
}

class PointerInput : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();  // drag.ico and HAND-M.CUR are installed beside the test program
    ASSERT_TRUE(form);
    SetForegroundWindow(form->Hwnd());
    PumpPending();
  }
  std::unique_ptr<Form1> form;
};

TEST_F(PointerInput, TheHandOverButtonsTheArrowElsewhereTheHourglassThroughout) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);

  ASSERT_TRUE(MoveTo(CenterOnScreen(form->Control(IDC_CHECK4))));
  ASSERT_TRUE(PumpUntil([&] { return form->MousePointer() == PointerShape::kCustom; }));
  EXPECT_NE(GetCursor(), arrow);  // the hand from HAND-M.CUR
  EXPECT_NE(GetCursor(), nullptr);

  RECT client;
  GetClientRect(form->Hwnd(), &client);
  POINT background{client.right - 3, client.bottom - 3};  // below the progress bar
  ClientToScreen(form->Hwnd(), &background);
  ASSERT_TRUE(MoveTo(background));
  ASSERT_TRUE(PumpUntil([&] { return form->MousePointer() == PointerShape::kDefault; }));
  EXPECT_EQ(GetCursor(), arrow);

  form->SetMousePointer(PointerShape::kHourglass);
  for (int id : {IDC_CHECK1, IDC_CHECK2, IDC_LISTVIEW1}) {
    ASSERT_TRUE(MoveTo(CenterOnScreen(form->Control(static_cast<ControlId>(id)))));
    PumpPending();
    EXPECT_EQ(form->MousePointer(), PointerShape::kHourglass);
    EXPECT_EQ(GetCursor(), wait);
  }
  form->SetMousePointer(PointerShape::kDefault);
  EXPECT_EQ(GetCursor(), arrow);  // over the list, at once, without a move
}

TEST_F(PointerInput, AMouseDragReordersTheList) {
  for (int i = 1; i <= 4; ++i) form->AppendEntry("C:\\Docs\\" + std::to_string(i) + ".doc");
  HWND list = form->Control(IDC_LISTVIEW1);
  PumpPending();
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
  auto row = [&](int position) {
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&rect));
    POINT point{40, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
  };
  ASSERT_TRUE(MoveTo(row(0)));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return form->Reorder().ButtonHeld(); }));
  // Each move is let through before the next: moves still waiting in the queue are merged
  // into one, and a jump trades two entries instead of walking.
  for (int position : {1, 2}) {
    ASSERT_TRUE(MoveTo(row(position)));
    ASSERT_TRUE(PumpUntil([&] { return ListText(list, position) == L"C:\\Docs\\1.doc"; }));
  }
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !form->Reorder().ButtonHeld(); }));
  EXPECT_EQ(ListText(list, 0), L"C:\\Docs\\2.doc");
  EXPECT_EQ(ListText(list, 1), L"C:\\Docs\\3.doc");
  EXPECT_EQ(ListText(list, 3), L"C:\\Docs\\4.doc");
  // After the release the list shows the arrow.
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace
}  // namespace quillory::test
