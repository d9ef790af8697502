// Real pointer and key input over the real window: the pointer's shapes, the list's keys and
// its menu. Runs alone: it moves the system pointer and types.
#include "common/utf_win.h"
#include "platform/files.h"
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
// A click of a button (MOUSEEVENTF_LEFTDOWN or _RIGHTDOWN) at a point of the screen.
void ClickAt(POINT at, DWORD down) {
  SetCursorPos(at.x, at.y);
  mouse_event(down, 0, 0, 0, 0), mouse_event(down << 1, 0, 0, 0, 0);  // and its release
}
// Holds the keys down in order and lets them go in reverse, as a person types Alt+Up.
void Type(std::vector<BYTE> keys) {
  for (BYTE key : keys) keybd_event(key, 0, 0, 0);
  std::for_each(keys.rbegin(), keys.rend(), [](BYTE key) { keybd_event(key, 0, KEYEVENTF_KEYUP, 0); });
}

// The window in the foreground and the focus on its list, whose entries are named "N.doc".
class ListInput : public FormTest {  // HAND-M.CUR is installed beside the test program
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetForegroundWindow(form->Hwnd());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == form->Hwnd(); }));
    SetFocus(list = form->Control(IDC_LISTVIEW1));
  }
  void Choose(int row) { ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED); }
  int Chosen() const { return ListView_GetNextItem(list, -1, LVNI_SELECTED | LVNI_FOCUSED); }
  std::vector<int> Order() const {
    std::vector<int> numbers;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) numbers.push_back(ListText(list, i).end()[-5] - L'0');
    return numbers;
  }
  POINT Row(int row) const {
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    POINT point{40, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
  }
  HWND list = nullptr;
};
TEST_F(ListInput, TheHandOverButtonsTheArrowElsewhereAndTheHourglassThroughout) {
  form->AppendEntries({"C:\\Docs\\1.doc", "C:\\Docs\\2.doc", "C:\\Docs\\3.doc", "C:\\Docs\\4.doc"});
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
  const POINT stops[] = {center(IDC_CHECK4), background, center(IDC_CHECK1), Row(3), center(IDC_CHECK2), Row(0)};
  for (size_t i = 0; i < std::size(stops); ++i) {
    const PointerShape shape = i % 2 ? PointerShape::kDefault : PointerShape::kCustom;
    ASSERT_TRUE(MoveTo(stops[i]));
    ASSERT_TRUE(PumpUntil([&] { return form->MousePointer() == shape; })) << "stop " << i;
    EXPECT_EQ(GetCursor() == arrow, shape == PointerShape::kDefault);  // else the hand from HAND-M.CUR
    EXPECT_NE(GetCursor(), nullptr);
  }

  // Long work: moves over a button, the background and the list never replace the hourglass.
  form->LongWorkBegins();
  for (POINT at : {center(IDC_CHECK1), background, Row(1)}) {
    ASSERT_TRUE(MoveTo(at));
    PumpPending();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  }
  form->LongWorkEnds();
  EXPECT_EQ(GetCursor(), arrow);  // over the list, at once, without a move
}

TEST_F(ListInput, DeleteRemovesTheChosenEntryAndChoosesTheNextAltWithArrowsHomeAndEndMoveItInView) {
  form->AppendEntries({"1.doc", "2.doc", "3.doc", "4.doc", "5.doc"});
  Choose(2);
  const struct { std::vector<BYTE> keys; std::vector<int> order; int chosen; } steps[] = {
      {{VK_MENU, VK_UP}, {1, 3, 2, 4, 5}, 1},   {{VK_MENU, VK_UP}, {3, 1, 2, 4, 5}, 0},
      {{VK_MENU, VK_UP}, {3, 1, 2, 4, 5}, 0},   // at the top nothing happens, and Alt opens no menu bar
      {{VK_MENU, VK_END}, {1, 2, 4, 5, 3}, 4},  {{VK_MENU, VK_DOWN}, {1, 2, 4, 5, 3}, 4},
      {{VK_MENU, VK_HOME}, {3, 1, 2, 4, 5}, 0}, {{VK_MENU, VK_DOWN}, {1, 3, 2, 4, 5}, 1},
      {{VK_DELETE}, {1, 2, 4, 5}, 1},           {{VK_DELETE}, {1, 4, 5}, 1},
      {{VK_END}, {1, 4, 5}, 2},                 {{VK_DELETE}, {1, 4}, 1},  // after the last, the one above
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    Type(steps[i].keys);
    EXPECT_TRUE(PumpUntil([&] { return Order() == steps[i].order && Chosen() == steps[i].chosen; })) << "step " << i;
  }
  form->AppendEntries(std::vector<std::string>(40, "9.doc"));  // longer than the view: the moved entry comes into it
  Choose(0), Type({VK_MENU, VK_END});
  EXPECT_TRUE(PumpUntil([&] { return Chosen() == 41 && ListView_GetTopIndex(list) + ListView_GetCountPerPage(list) > 41; }));
}

// The list's menus waiting for the user (texts, "1" for items that act), answered: item `choose` clicked, or Esc.
struct MenuSpy {
  std::vector<std::pair<std::vector<std::wstring>, std::string>> menus;
  int choose = -1, rightButtonUps = 0, opened = 0;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    MenuSpy& spy = *reinterpret_cast<MenuSpy*>(self);
    spy.opened |= msg == WM_INITMENUPOPUP;
    if (msg == WM_ENTERIDLE && std::exchange(spy.opened, 0)) {
      HMENU menu = reinterpret_cast<HMENU>(SendMessageW(reinterpret_cast<HWND>(lParam), MN_GETHMENU, 0, 0));
      auto& [texts, acts] = spy.menus.emplace_back();
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        std::wstring& text = texts.emplace_back(64, L'\0');
        text.resize(GetMenuStringW(menu, i, text.data(), 64, MF_BYPOSITION));
        acts += GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED ? '0' : '1';
      }
      RECT item{};
      spy.choose >= 0 && GetMenuItemRect(nullptr, menu, spy.choose, &item)
          ? ClickAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2}, MOUSEEVENTF_LEFTDOWN)
          : Type({VK_ESCAPE});
    }
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    spy.rightButtonUps += msg == WM_RBUTTONUP;
    return result;
  }
};

TEST_F(ListInput, TheMenuOpensOnAnEntryByRightClickShiftF10OrTheMenuKeyGreysWhatCannotActAndNotBelowTheEntries) {
  const std::string here = Narrow(ApplicationFolder());
  form->AppendEntries({here + "\\1.doc", here + "\\2.doc", "C:\\gone\\3.doc"});
  MenuSpy spy;
  SetWindowSubclass(list, MenuSpy::Proc, 7, reinterpret_cast<DWORD_PTR>(&spy));
  const std::vector<std::wstring> items{L"Move Up\tAlt+Up",           L"Move Down\tAlt+Down", L"Move to Top\tAlt+Home",
                                        L"Move to Bottom\tAlt+End", L"Remove\tDel",         L"Open Containing Folder"};
  const struct { std::function<void()> open; std::string acts; int choose; std::vector<int> order; int chosen; } cases[] = {
      {[&] { ClickAt(Row(0), MOUSEEVENTF_RIGHTDOWN); }, "010111", -1, {1, 2, 3}, 0},  // Esc
      {[&] { Choose(2), Type({VK_SHIFT, VK_F10}); }, "101010", 2, {3, 1, 2}, 0},  // to the top; its folder is gone
      {[&] { Choose(1), Type({VK_APPS}); }, "111111", 4, {3, 2}, 1},  // removed
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    spy.choose = cases[i].choose;
    cases[i].open();
    ASSERT_TRUE(PumpUntil([&] { return spy.menus.size() == i + 1 && Order() == cases[i].order; })) << "menu " << i;
    EXPECT_EQ(Chosen(), cases[i].chosen);
    EXPECT_EQ(spy.menus[i], std::pair(items, cases[i].acts));
  }
  // Below the last entry no menu opens.
  ClickAt({Row(1).x, Row(1).y + 3 * (Row(1).y - Row(0).y)}, MOUSEEVENTF_RIGHTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return spy.rightButtonUps == 2; }));
  EXPECT_EQ(spy.menus.size(), 3u);
  RemoveWindowSubclass(list, MenuSpy::Proc, 7);
}

}  // namespace
}  // namespace quillory::test
