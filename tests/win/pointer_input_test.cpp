// Real pointer input over the real window. Runs alone: it moves the system pointer.
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

using PointerInput = FormTest;  // HAND-M.CUR is installed beside the test program

TEST_F(PointerInput, TheHandOverButtonsTheArrowElsewhereAndTheHourglassThroughout) {
  SetForegroundWindow(form->Hwnd());
  form->AppendEntries({"C:\\Docs\\1.doc", "C:\\Docs\\2.doc", "C:\\Docs\\3.doc", "C:\\Docs\\4.doc"});
  HWND list = form->Control(IDC_LISTVIEW1);
  const auto row = [&](int position) {
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&rect));
    POINT point{40, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
  };
  RECT bar;
  GetWindowRect(form->Control(IDC_PROGRESSBAR1), &bar);
  const POINT background{bar.right + 3, bar.bottom + 3};  // below and right of the lowest control
  const auto center = [&](ControlId id) {
    RECT rect;
    GetWindowRect(form->Control(id), &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  };
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

  // The hand over each button, the arrow elsewhere: each move lands on the other shape, so each change is seen.
  const POINT stops[] = {center(IDC_CHECK4), background, center(IDC_CHECK1), row(3), center(IDC_CHECK2), row(0)};
  for (size_t i = 0; i < std::size(stops); ++i) {
    const PointerShape shape = i % 2 ? PointerShape::kDefault : PointerShape::kCustom;
    ASSERT_TRUE(MoveTo(stops[i]));
    ASSERT_TRUE(PumpUntil([&] { return form->MousePointer() == shape; })) << "stop " << i;
    EXPECT_EQ(GetCursor() == arrow, shape == PointerShape::kDefault);  // else the hand from HAND-M.CUR
    EXPECT_NE(GetCursor(), nullptr);
  }

  // Long work: moves over a button, the background and the list never replace the hourglass.
  form->LongWorkBegins();
  for (POINT at : {center(IDC_CHECK1), background, row(1)}) {
    ASSERT_TRUE(MoveTo(at));
    PumpPending();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  }
  form->LongWorkEnds();
  EXPECT_EQ(GetCursor(), arrow);  // over the list, at once, without a move
}

}  // namespace
}  // namespace quillory::test
