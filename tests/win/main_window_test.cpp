// The real main window: its controls as a user's tools see them, start-up, the button
// convention, the file list's gestures and the pointer shapes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

struct Expected {
  int id;
  const wchar_t* cls;
  const wchar_t* text;
  int left, top, width, height;  // twips
};

// Tab order, as the user walks it.
const Expected kControls[] = {
    {IDC_COMMAND1, L"Button", L"Command1", -720, 2640, 615, 495},
    {IDC_CHECK1, L"Button", L"Add Word Doc File(s)", 120, 2520, 2415, 1215},
    {IDC_CHECK2, L"Button", L"Save As Dot", 5160, 2520, 2415, 1215},
    {IDC_LISTVIEW1, L"SysListView32", L"", 120, 120, 7455, 2295},
    {IDC_CHECK4, L"Button", L" Add All Word Doc Files In Folder", 2640, 2520, 2415, 1215},
    {IDC_PROGRESSBAR1, L"msctls_progress32", L"", 120, 4200, 7455, 375},
    {IDC_OPTION2, L"Button", L"Save as Dotx (Word 2007)", 1800, 3840, 2655, 255},
    {IDC_OPTION1, L"Button", L"Save as Dot", 120, 3840, 1575, 255},
};

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

RECT ClientRectOf(HWND parent, HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int Px(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

void ExpectLayout(Form1& form, int dpi) {
  RECT client;
  GetClientRect(form.Hwnd(), &client);
  EXPECT_EQ(client.right, Px(7695, dpi));  // 769.5 rounds up at 144 DPI
  EXPECT_EQ(client.bottom, Px(4710, dpi));
  for (const Expected& control : kControls) {
    SCOPED_TRACE(control.text);
    const RECT rect = ClientRectOf(form.Hwnd(), form.Control(static_cast<ControlId>(control.id)));
    EXPECT_NEAR(rect.left, control.left * dpi / 1440.0, 0.51);
    EXPECT_NEAR(rect.top, control.top * dpi / 1440.0, 0.51);
    EXPECT_NEAR(rect.right - rect.left, control.width * dpi / 1440.0, 1.01);
    EXPECT_NEAR(rect.bottom - rect.top, control.height * dpi / 1440.0, 1.01);
  }
  // The list's one column.
  EXPECT_EQ(SendMessageW(form.Control(IDC_LISTVIEW1), LVM_GETCOLUMNWIDTH, 0, 0), Px(6000, dpi));
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    ASSERT_TRUE(form);
  }
  HWND List() const { return form->Control(IDC_LISTVIEW1); }
  int ListCount() const { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
  std::vector<std::wstring> ListTexts() const {
    std::vector<std::wstring> texts;
    for (int i = 0; i < ListCount(); ++i) texts.push_back(ListText(List(), i));
    return texts;
  }
  int Selected() const {
    return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }
  POINT RowPoint(int position) const {
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&row));
    return POINT{40, (row.top + row.bottom) / 2};
  }
  void Send(UINT msg, WPARAM keys, POINT at) {
    SendMessageW(List(), msg, keys, MAKELPARAM(at.x, at.y));
  }
  void Fill(int count) {
    for (int i = 1; i <= count; ++i) form->AppendEntry("C:\\Docs\\" + std::to_string(i) + ".doc");
    PumpPending();
  }
  std::unique_ptr<Form1> form;
};

TEST_F(MainWindow, ShowsEveryControlWhereDesignedAt96Dpi) {
  EXPECT_EQ(WindowText(form->Hwnd()), L"Quillory");
  ExpectLayout(*form, 96);
  for (const Expected& control : kControls) {
    HWND window = form->Control(static_cast<ControlId>(control.id));
    ASSERT_TRUE(window) << control.text;
    EXPECT_EQ(ClassName(window), control.cls);
    if (control.text[0]) {
      EXPECT_EQ(WindowText(window), control.text);
    }
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_TRUE(IsWindowVisible(window));
  }
  // Tab order is the order of the children.
  HWND child = GetWindow(form->Hwnd(), GW_CHILD);
  for (const Expected& control : kControls) {
    ASSERT_TRUE(child);
    EXPECT_EQ(GetDlgCtrlID(child), control.id);
    child = GetWindow(child, GW_HWNDNEXT);
  }
}

TEST_F(MainWindow, ScalesCrisplyAt144Dpi) {
  RECT suggested;
  GetWindowRect(form->Hwnd(), &suggested);
  SendMessageW(form->Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  ExpectLayout(*form, 144);
  EXPECT_EQ(FontOf(form->Control(IDC_CHECK1)).lfHeight, -23);  // 11.25 pt at 144 DPI
  EXPECT_EQ(FontOf(form->Control(IDC_OPTION1)).lfHeight, -18);
}

TEST_F(MainWindow, StartsInItsDesignedState) {
  const LONG style = GetWindowLongW(form->Hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(GetFocus(), form->Control(IDC_COMMAND1));
  EXPECT_EQ(SendMessageW(form->Control(IDC_OPTION1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(form->Control(IDC_OPTION2), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(form->Option1Selected());
  EXPECT_EQ(form->Progress(), 0);
  EXPECT_EQ(SendMessageW(form->Control(IDC_PROGRESSBAR1), PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(form->Control(IDC_PROGRESSBAR1), PBM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(ListCount(), 0);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);

  const LOGFONTW buttons = FontOf(form->Control(IDC_CHECK1));
  EXPECT_STREQ(buttons.lfFaceName, L"Arial");
  EXPECT_EQ(buttons.lfWeight, FW_BOLD);
  EXPECT_EQ(buttons.lfHeight, -15);
  EXPECT_EQ(FontOf(List()).lfHeight, -12);

  wchar_t header[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = header;
  column.cchTextMax = 64;
  ASSERT_TRUE(SendMessageW(List(), LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(header, L"Word Doc File(s)");
  EXPECT_FALSE(SendMessageW(List(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));

  // Centred on the screen.
  RECT outer;
  GetWindowRect(form->Hwnd(), &outer);
  EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2.0, 0.51);
  EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2.0, 0.51);
}

TEST_F(MainWindow, EnterAndSpaceAtStartDoNothing) {
  HWND focus = form->Control(IDC_COMMAND1);
  for (WPARAM key : {VK_RETURN, VK_SPACE}) {
    MSG down{focus, WM_KEYDOWN, key, 0, 0, {}};
    if (!IsDialogMessageW(form->Hwnd(), &down)) DispatchMessageW(&down);
    MSG up{focus, WM_KEYUP, key, 0, 0, {}};
    if (!IsDialogMessageW(form->Hwnd(), &up)) DispatchMessageW(&up);
  }
  PumpPending();
  EXPECT_EQ(ListCount(), 0);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
}

TEST_F(MainWindow, APressWorksOnceAndTheButtonSpringsBack) {
  DialogWatcher watcher(PressButton(IDOK));
  SendMessageW(form->Control(IDC_CHECK2), BM_CLICK, 0, 0);  // empty list: one message
  ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }));
  PumpPending();
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"No files added.");
  EXPECT_EQ(SendMessageW(form->Control(IDC_CHECK2), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
}

TEST_F(MainWindow, ListsUnicodePathsUnchangedAndManyOfThem) {
  const std::string greek = "C:\\Έγγραφα\\Αναφορά 文件 é.doc";
  form->AppendEntry(greek);
  std::vector<std::string> many(40000, "C:\\Docs\\same.doc");
  form->AppendEntries(many);
  form->AppendEntry("C:\\Docs\\last.doc");
  PumpPending();
  EXPECT_EQ(ListCount(), 40002);
  EXPECT_EQ(ListText(List(), 0), L"C:\\Έγγραφα\\Αναφορά 文件 é.doc");
  EXPECT_EQ(ListText(List(), 40001), L"C:\\Docs\\last.doc");
  EXPECT_EQ(form->Files().Text(0), greek);
}

TEST_F(MainWindow, AClickRightAfterAppendingFindsTheNewEntries) {
  form->AppendEntry("C:\\Docs\\a.doc");
  form->AppendEntry("C:\\Docs\\b.doc");  // no message has run since
  RECT header;
  GetWindowRect(ListView_GetHeader(List()), &header);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, POINT{40, header.bottom - header.top + 2});
  Send(WM_LBUTTONUP, 0, POINT{40, header.bottom - header.top + 2});
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(ListCount(), 2);
}

TEST_F(MainWindow, DraggingAnEntryWalksItDownTheList) {
  Fill(5);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
  for (int row : {2, 3, 4}) Send(WM_MOUSEMOVE, MK_LBUTTON, RowPoint(row));
  Send(WM_LBUTTONUP, 0, RowPoint(4));
  EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{L"C:\\Docs\\1.doc", L"C:\\Docs\\3.doc", L"C:\\Docs\\4.doc",
                                                    L"C:\\Docs\\5.doc", L"C:\\Docs\\2.doc"}));
  EXPECT_EQ(Selected(), 4);
}

TEST_F(MainWindow, AJumpTradesTwoEntriesAndARightButtonDragsToo) {
  Fill(5);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0));
  Send(WM_LBUTTONUP, 0, RowPoint(0));
  Send(WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(0));
  Send(WM_MOUSEMOVE, MK_RBUTTON, RowPoint(3));
  Send(WM_RBUTTONUP, 0, RowPoint(3));
  EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{L"C:\\Docs\\4.doc", L"C:\\Docs\\2.doc", L"C:\\Docs\\3.doc",
                                                    L"C:\\Docs\\1.doc", L"C:\\Docs\\5.doc"}));
  EXPECT_EQ(Selected(), 3);
}

TEST_F(MainWindow, ADragBeforeAnyClickMovesNothing) {
  Fill(3);
  Send(WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(0));
  Send(WM_MOUSEMOVE, MK_RBUTTON, RowPoint(2));
  Send(WM_RBUTTONUP, 0, RowPoint(2));
  EXPECT_EQ(ListText(List(), 0), L"C:\\Docs\\1.doc");
  EXPECT_EQ(ListText(List(), 2), L"C:\\Docs\\3.doc");
}

TEST_F(MainWindow, DoubleClickRemovesTheSelectedEntryAndIgnoresAnEmptyList) {
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, POINT{40, 60});  // empty list: nothing happens
  Send(WM_LBUTTONUP, 0, POINT{40, 60});
  EXPECT_EQ(ListCount(), 0);

  Fill(3);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
  Send(WM_LBUTTONUP, 0, RowPoint(1));
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(1));
  Send(WM_LBUTTONUP, 0, RowPoint(1));
  EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{L"C:\\Docs\\1.doc", L"C:\\Docs\\3.doc"}));

  // The dragged entry is gone: a drag moves nothing until an entry is clicked again.
  Send(WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(0));
  Send(WM_MOUSEMOVE, MK_RBUTTON, RowPoint(1));
  Send(WM_RBUTTONUP, 0, RowPoint(1));
  EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{L"C:\\Docs\\1.doc", L"C:\\Docs\\3.doc"}));
}

TEST_F(MainWindow, ADraggedEntryCanTravelPastTheVisibleRows) {
  Fill(40);
  const int perPage = static_cast<int>(SendMessageW(List(), LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(perPage, 2);
  ASSERT_LT(perPage, 40);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0));
  // Keep the pointer on the bottom visible row: each move brings the next entry into view.
  for (int step = 0; step < 60 && Selected() < 39; ++step) {
    const int top = static_cast<int>(SendMessageW(List(), LVM_GETTOPINDEX, 0, 0));
    const int target = std::min(Selected() + 1, top + perPage - 1);
    Send(WM_MOUSEMOVE, MK_LBUTTON, RowPoint(target));
  }
  Send(WM_LBUTTONUP, 0, RowPoint(Selected()));
  EXPECT_EQ(Selected(), 39);
  EXPECT_EQ(ListText(List(), 39), L"C:\\Docs\\1.doc");
  EXPECT_GT(SendMessageW(List(), LVM_GETTOPINDEX, 0, 0), 0);
}

TEST_F(MainWindow, PointerShapesFollowTheButtonsButNeverReplaceTheHourglass) {
  SendMessageW(form->Control(IDC_CHECK4), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(form->MousePointer(), PointerShape::kCustom);
  SendMessageW(form->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  SendMessageW(form->Control(IDC_CHECK1), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageW(List(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 40));
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);

  form->SetMousePointer(PointerShape::kHourglass);
  for (int id : {IDC_CHECK1, IDC_CHECK4, IDC_CHECK2, IDC_LISTVIEW1}) {
    SendMessageW(form->Control(static_cast<ControlId>(id)), WM_MOUSEMOVE, 0, MAKELPARAM(5, 40));
  }
  SendMessageW(form->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(form->MousePointer(), PointerShape::kHourglass);
  form->SetMousePointer(PointerShape::kDefault);
}

TEST_F(MainWindow, ClosingEndsAtOnce) {
  bool closed = false;
  Form1Options options;
  options.onClosed = [&] { closed = true; };
  auto second = MakeForm(std::move(options));
  ASSERT_TRUE(second);
  SendMessageW(second->Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(second->Closed());
  EXPECT_EQ(second->Hwnd(), nullptr);
}

TEST(MainWindowStart, TheHomePageOpensOnlyOnItsDraw) {
  std::vector<std::string> launched;
  Form1Options lucky;
  lucky.homePage.draw = [](float) { return 0.065f; };
  lucky.homePage.launch = [&](const std::string& line) { launched.push_back(line); };
  auto first = MakeForm(std::move(lucky));
  ASSERT_TRUE(first);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].rfind("explorer \"", 0), 0u);
  EXPECT_TRUE(IsWindowVisible(first->Hwnd()));

  Form1Options unlucky;
  unlucky.homePage.draw = [](float) { return 0.5f; };
  unlucky.homePage.launch = [&](const std::string& line) { launched.push_back(line); };
  auto second = MakeForm(std::move(unlucky));
  ASSERT_TRUE(second);
  EXPECT_EQ(launched.size(), 1u);
}

TEST(MainWindowStart, OpensWithoutThePointerFilesAndSaysNothing) {
  TempFolder empty;
  Form1Options options;
  options.appFolder = empty.Path();
  DialogWatcher watcher(PressButton(IDOK));
  auto form = MakeForm(std::move(options));
  ASSERT_TRUE(form);
  PumpPending();
  SendMessageW(form->Control(IDC_CHECK2), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(form->MousePointer(), PointerShape::kCustom);  // shows the ordinary arrow
  EXPECT_EQ(watcher.Count(), 0u);
}

}  // namespace
}  // namespace quillory::test
