// Real pointer and key input over the real window: the pointer's shapes, the list's keys and
// its menu. Runs alone: it moves the system pointer and types.
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

INPUT Key(WORD key, DWORD flags = 0) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  const bool extended = key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END || key == VK_DELETE || key == VK_APPS;
  input.ki.dwFlags = flags | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}
// Holds the keys down in order and lets them go in reverse, as a person types Alt+Up.
void Type(std::vector<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) inputs.push_back(Key(key));
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) inputs.push_back(Key(*key, KEYEVENTF_KEYUP));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
// A click of the button (MOUSEEVENTF_RIGHTDOWN or LEFTDOWN) at a point of the screen, in one go.
void ClickAt(POINT at, DWORD down) {
  INPUT inputs[3] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  }
  inputs[1].mi.dwFlags |= down;
  inputs[2].mi.dwFlags |= down << 1;  // the matching release
  SendInput(3, inputs, sizeof(INPUT));
}

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

// The list with the focus in the foreground window, its entries numbered; their order as shown.
class ListInput : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    list = form->Control(IDC_LISTVIEW1);
    SetForegroundWindow(form->Hwnd());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == form->Hwnd(); }));
    SetFocus(list);
  }
  void Choose(int position) {
    ListView_SetItemState(list, position, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  int Chosen() const { return ListView_GetNextItem(list, -1, LVNI_SELECTED | LVNI_FOCUSED); }
  std::vector<int> Order() const {
    std::vector<int> numbers;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      const std::wstring text = ListText(list, i);
      numbers.push_back(text[text.size() - 5] - L'0');  // "...N.doc"
    }
    return numbers;
  }
  POINT Row(int position) const {
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&rect));
    POINT point{40, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
  }
  HWND list = nullptr;
};

TEST_F(ListInput, DeleteRemovesTheChosenEntryAndChoosesTheNextAltWithArrowsHomeAndEndMoveItInView) {
  form->AppendEntries({"1.doc", "2.doc", "3.doc", "4.doc", "5.doc"});
  Choose(2);
  const struct { std::vector<WORD> keys; std::vector<int> order; int chosen; } steps[] = {
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
  // In a list longer than the view, the moved entry is scrolled into it.
  form->AppendEntries(std::vector<std::string>(40, "9.doc"));
  Choose(0);
  Type({VK_MENU, VK_END});
  EXPECT_TRUE(PumpUntil([&] { return Chosen() == 41 && ListView_GetTopIndex(list) + ListView_GetCountPerPage(list) > 41; }));
}

// The list's menus as they opened: each item's text and whether it acts. Each is answered once
// it waits for the user: a click on the item `choose`, or Esc.
struct MenuSpy {
  std::vector<std::vector<std::pair<std::wstring, bool>>> menus;
  HMENU open = nullptr;
  int choose = -1;
  bool answered = false;
  int rightButtonUps = 0;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    MenuSpy& spy = *reinterpret_cast<MenuSpy*>(self);
    if (msg == WM_INITMENUPOPUP) {
      spy.open = reinterpret_cast<HMENU>(wParam);
      spy.answered = false;
      auto& items = spy.menus.emplace_back();
      for (int i = 0; i < GetMenuItemCount(spy.open); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(spy.open, i, text, 64, MF_BYPOSITION);
        items.emplace_back(text, !(GetMenuState(spy.open, i, MF_BYPOSITION) & MF_GRAYED));
      }
    } else if (msg == WM_ENTERIDLE && !spy.answered) {
      spy.answered = true;
      RECT item{};
      if (spy.choose >= 0 && GetMenuItemRect(nullptr, spy.open, spy.choose, &item)) {
        ClickAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2}, MOUSEEVENTF_LEFTDOWN);
      } else {
        Type({VK_ESCAPE});
      }
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
  enum { kEsc = -1, kMoveToTop = 2, kRemove = 4 };
  const struct { std::function<void()> open; std::vector<bool> acts; int choose; std::vector<int> order; int chosen; } cases[] = {
      {[&] { ClickAt(Row(0), MOUSEEVENTF_RIGHTDOWN); }, {false, true, false, true, true, true}, kEsc, {1, 2, 3}, 0},
      {[&] { Choose(2), Type({VK_SHIFT, VK_F10}); }, {true, false, true, false, true, false}, kMoveToTop, {3, 1, 2}, 0},
      {[&] { Choose(1), Type({VK_APPS}); }, {true, true, true, true, true, true}, kRemove, {3, 2}, 1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    spy.choose = cases[i].choose;
    cases[i].open();
    ASSERT_TRUE(PumpUntil([&] { return spy.menus.size() == i + 1 && Order() == cases[i].order; })) << "menu " << i;
    EXPECT_EQ(Chosen(), cases[i].chosen);
    for (size_t item = 0; item < items.size() && spy.menus[i].size() == items.size(); ++item) {
      EXPECT_EQ(spy.menus[i][item], std::pair(items[item], static_cast<bool>(cases[i].acts[item]))) << "menu " << i;
    }
  }
  // Below the last entry no menu opens; after Esc the keys go to the list again (no menu-bar mode).
  POINT below = Row(1);
  below.y += 3 * (below.y - Row(0).y);
  ClickAt(below, MOUSEEVENTF_RIGHTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return spy.rightButtonUps == 2; }));
  Choose(0);
  Type({VK_MENU, VK_DOWN});
  EXPECT_TRUE(PumpUntil([&] { return Order() == std::vector<int>{2, 3}; }));
  EXPECT_EQ(spy.menus.size(), 3u);
  RemoveWindowSubclass(list, MenuSpy::Proc, 7);
}

}  // namespace
}  // namespace quillory::test
