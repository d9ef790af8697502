// The real main window: its controls as a user's tools see them, start-up, the list's gestures
// and its drop target called as the system's drag loop calls it.
#include <array>

#include "filelist/drop_target_win.h"
#include "support/file_drop.h"
#include "support/form_fixture.h"
#include "support/temp_folder.h"
#include "platform/window_text.h"

namespace quillory::test {
namespace {

constexpr RECT kList96{8, 8, 505, 161}, kList144{12, 12, 758, 242};  // 7.5 pixels rounded away from zero

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The hot spot of a pointer, which tells the two pointer files apart.
std::pair<DWORD, DWORD> HotSpot(HCURSOR pointer) {
  ICONINFO info{};
  if (!GetIconInfo(pointer, &info)) return {-1u, -1u};
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return {info.xHotspot, info.yHotspot};
}

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

class MainWindow : public FormTest {
 protected:
  HWND List() const { return form->Control(IDC_LISTVIEW1); }
  int ListSend(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return static_cast<int>(SendMessageW(List(), msg, wParam, lParam));
  }
  int Count() const { return ListSend(LVM_GETITEMCOUNT); }
  int Selected() const { return ListSend(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED); }
  int Top() const { return ListSend(LVM_GETTOPINDEX); }

  // The list filled with "C:\Docs\1.doc" to "C:\Docs\<count>.doc", and their order as shown.
  void Fill(int count) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) paths.push_back("C:\\Docs\\" + std::to_string(i) + ".doc");
    form->AppendEntries(std::move(paths));
  }
  std::vector<int> Order() const {
    std::vector<int> numbers;
    for (int i = 0; i < Count(); ++i) numbers.push_back(std::stoi(ListText(List(), i).substr(8)));
    return numbers;
  }

  // A mouse message at the middle of the row at `position`.
  void At(int position, UINT msg, WPARAM keys = 0) {
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    ListSend(LVM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&row));
    ListSend(msg, keys, MAKELPARAM(40, (row.top + row.bottom) / 2));
  }
  void Click(int position) {
    At(position, WM_LBUTTONDOWN, MK_LBUTTON);
    At(position, WM_LBUTTONUP);
  }
  void RightDrag(int from, int to) {
    At(from, WM_RBUTTONDOWN, MK_RBUTTON);
    At(to, WM_MOUSEMOVE, MK_RBUTTON);
    At(to, WM_RBUTTONUP);
  }
  // The pointer the list shows while the first entry is held after a click on it.
  HCURSOR PointerWhileHeld() {
    At(0, WM_LBUTTONDOWN, MK_LBUTTON);
    ListSend(WM_SETCURSOR, reinterpret_cast<WPARAM>(List()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const HCURSOR shown = GetCursor();
    At(0, WM_LBUTTONUP);
    return shown;
  }
};

TEST_F(MainWindow, StartsCentredAsDesignedIgnoresEnterAndSpaceAndScalesCrisplyTo144Dpi) {
  EXPECT_EQ(GetWindowLongW(form->Hwnd(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
            WS_MINIMIZEBOX);
  RECT outer;
  GetWindowRect(form->Hwnd(), &outer);
  EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2.0, 0.51);
  EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2.0, 0.51);
  // Every control of the design, in tab order (the children's order), where the design puts it;
  // the client area, the list and its one column at 96 DPI.
  RECT client;
  GetClientRect(form->Hwnd(), &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(513L, 314L));
  HWND child = GetWindow(form->Hwnd(), GW_CHILD);
  const auto placed = [&](HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, form->Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  for (const ControlDesign& design : Form1Design()) {
    SCOPED_TRACE(design.text);
    ASSERT_EQ(child, form->Control(design.id));
    EXPECT_TRUE(IsClass(child, design.windowClass) && WindowText(child) == design.text);
    EXPECT_TRUE(IsWindowEnabled(child) && IsWindowVisible(child));
    const RECT rect = placed(child), at96 = DesignRectPixels(design, 96);
    EXPECT_TRUE(EqualRect(&rect, &at96));
    child = GetWindow(child, GW_HWNDNEXT);
  }
  const RECT list96 = placed(List());
  EXPECT_TRUE(EqualRect(&list96, &kList96));
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(List())), 1);
  EXPECT_EQ(ListSend(LVM_GETCOLUMNWIDTH), 400);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);

  // The hidden Command1 holds the focus (again, when the window is active again after another program
  // was): Enter and Space do nothing, while a press works once and springs back.
  HWND other = CreateWindowW(L"Static", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  for (HWND active : {other, form->Hwnd()}) {
    SetForegroundWindow(active);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == active; }));
  }
  DestroyWindow(other);
  EXPECT_EQ(GetFocus(), form->Control(IDC_COMMAND1));
  DialogWatcher watcher(PressButton(IDOK));
  for (WPARAM key : {VK_RETURN, VK_SPACE}) {
    for (UINT msg : {WM_KEYDOWN, WM_KEYUP}) {
      MSG keyMessage{GetFocus(), msg, key, 0, 0, {}};
      if (!IsDialogMessageW(form->Hwnd(), &keyMessage)) DispatchMessageW(&keyMessage);
    }
  }
  PumpPending();
  EXPECT_EQ(watcher.Count(), 0u);
  SendMessageW(form->Control(IDC_CHECK2), BM_CLICK, 0, 0);
  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"No files added.");

  // "Save as Dot" is chosen at start.
  EXPECT_EQ(SendMessageW(form->Control(IDC_OPTION1), BM_GETCHECK, 0, 0), BST_CHECKED);

  // Moved to a screen at 144 DPI, it scales crisply: the design's client area, places (one loop
  // sets them all), column and point sizes at 144.
  SendMessageW(form->Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&outer));
  GetClientRect(form->Hwnd(), &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(770L, 471L));  // 769.5 and 471 pixels
  const RECT list144 = placed(List());
  EXPECT_TRUE(EqualRect(&list144, &kList144));
  EXPECT_EQ(ListSend(LVM_GETCOLUMNWIDTH), 600);
  EXPECT_EQ(FontOf(form->Control(IDC_CHECK1)).lfHeight, -23);  // 11.25 pt at 144 DPI
  EXPECT_EQ(FontOf(form->Control(IDC_OPTION1)).lfHeight, -18);  // 9 pt, as the list
  EXPECT_EQ(FontOf(List()).lfHeight, -18);
}

TEST_F(MainWindow, AClickedEntryIsDraggedByAnyButtonPastTheVisibleRowsADoubleClickRemovesItAndAHundredThousandScroll) {
  Fill(40);
  Click(0);
  RightDrag(0, 3);  // a jump trades the two; the right button drags too
  At(1, WM_LBUTTONDBLCLK, MK_LBUTTON);
  At(1, WM_LBUTTONUP);
  RightDrag(1, 0);  // the dragged entry is gone: nothing moves until an entry is clicked again
  std::vector<int> order{4, 3, 1};
  for (int i = 5; i <= 40; ++i) order.push_back(i);
  EXPECT_EQ(Order(), order);

  // The pointer walks the entry a row at a time on the visible rows; on the edge row each move scrolls.
  const int perPage = ListSend(LVM_GETCOUNTPERPAGE);
  At(0, WM_LBUTTONDOWN, MK_LBUTTON);
  for (int step = 0; step < 60 && Selected() != 38; ++step) At(std::min(Selected() + 1, Top() + perPage - 1), WM_MOUSEMOVE, MK_LBUTTON);
  order.erase(order.begin());
  order.push_back(4);
  EXPECT_EQ(Order(), order);  // every entry it passed moved up by one
  EXPECT_EQ(Selected(), 38);
  EXPECT_EQ(Top(), 39 - perPage);
  At(38, WM_LBUTTONUP);

  // A hundred thousand more are all shown, after the others, and the list scrolls to the last.
  form->AppendEntries(std::vector<std::string>(100000, "C:\\Docs\\same.doc"));
  ASSERT_EQ(Count(), 100039);
  ListSend(LVM_ENSUREVISIBLE, 100038, FALSE);
  EXPECT_EQ(Top(), 100039 - perPage);
  EXPECT_EQ(ListText(List(), 100038), L"C:\\Docs\\same.doc");
}

TEST_F(MainWindow, DroppedFilesAreListedAsDroppedAndNeverMovedOtherDataIsRefusedAndTheTargetLastsAsLongAsTheWindow) {
  IDropTarget* target = FindListDropTarget(List());
  ASSERT_NE(target, nullptr);
  // A folder, a missing file or any other file is listed as it is, after the entries already there.
  const std::vector<std::wstring> dropped{ApplicationFolder(), L"C:\\gone\\notes.txt", L"C:\\Έγγραφα\\Αναφορά 文件 é.doc"};
  Fill(1);
  // The effect proposed is kept, less a move: the source would delete the files.
  const Effects effects = DragAndDrop(target, FileDrop(dropped.size(), [&](size_t i) { return dropped[i]; }));
  EXPECT_EQ(effects, (Effects{kAnyEffect, kAnyEffect, DROPEFFECT_COPY | DROPEFFECT_LINK}));
  const Effects text = DragAndDrop(target, DataOffer(CF_UNICODETEXT, "C:\\looks\\like\\a.doc"));
  EXPECT_EQ(text[0] | text[1], static_cast<DWORD>(DROPEFFECT_NONE));  // text gets the no-drop pointer
  ASSERT_EQ(Count(), 4);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(ListText(List(), i), dropped[i - 1]);  // shown unchanged

  // A click on the list leaves it OLE's target, and closing the window lets the target go.
  Click(0);
  EXPECT_EQ(RegisterDragDrop(List(), target), DRAGDROP_E_ALREADYREGISTERED);
  target->AddRef();
  DestroyWindow(form->Hwnd());
  EXPECT_EQ(target->Release(), 0u);  // neither OLE nor the list holds it: revoked and let go
}

// The drag image is made again only when "drag.ico" has changed; each pointer file shows at its
// hot spot (the middle of the drag image's arrow, the hand's index fingertip).
TEST_F(MainWindow, StartsWithoutThePointerFilesReadsTheDragImageAtEachClickOpensTheHomePageOnItsDrawAndCloses) {
  TempFolder folder;
  const auto launched = std::make_shared<std::vector<std::string>>();
  const auto closed = std::make_shared<bool>(false);
  Form1Options options;
  options.appFolder = folder.Path();
  options.homePage.draw = [](float) { return 0.065f; };  // in the hundredth that opens the page
  options.homePage.launch = [launched](const std::string& line) { launched->push_back(line); };
  options.onClosed = [closed] { *closed = true; };
  DialogWatcher watcher(PressButton(IDOK));
  form.reset();
  ASSERT_TRUE(form = MakeForm(std::move(options)));
  EXPECT_EQ(watcher.Count(), 0u);  // no word about the missing pointer files
  EXPECT_EQ(*launched, std::vector<std::string>{"explorer \"https://www.quillory.example/\""});

  Fill(1);
  const std::wstring icon = folder.File(L"drag.ico");
  ASSERT_TRUE(CopyFileW((ApplicationFolder() + L"\\drag.ico").c_str(), icon.c_str(), FALSE));
  const HCURSOR first = PointerWhileHeld();
  EXPECT_EQ(HotSpot(first), std::pair(16ul, 16ul));  // drag.ico's, in the middle of its 32 pixels
  EXPECT_EQ(PointerWhileHeld(), first);  // the same file: the same image, not made again
  // Another picture in its place (the hand) shows at the next click.
  ASSERT_TRUE(CopyFileW((ApplicationFolder() + L"\\HAND-M.CUR").c_str(), icon.c_str(), FALSE));
  EXPECT_EQ(HotSpot(PointerWhileHeld()), std::pair(12ul, 1ul));
  ASSERT_TRUE(DeleteFileW(icon.c_str()));
  EXPECT_EQ(PointerWhileHeld(), LoadCursorW(nullptr, IDC_ARROW));

  SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(*closed);
  EXPECT_EQ(form->Hwnd(), nullptr);
}

}  // namespace
}  // namespace quillory::test
