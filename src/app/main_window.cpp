#include "app/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "adding/add_folder_press.h"
#include "adding/open_dialog_press.h"
#include "app/button_look.h"
#include "app/main_window_layout.h"
#include "app/twips.h"
#include "app/window_helpers.h"
#include "conversion/conversion_press.h"
#include "filelist/drop_target.h"
#include "platform/files.h"
#include "platform/utf.h"
#include "resources/resource_ids.h"

namespace quillory {

namespace {

constexpr wchar_t kListColumnText[] = L"Word Doc File(s)";
constexpr wchar_t kListTooltip[] =
    L"Drag and drop files here. Double-click item to remove it. Move bar to right and out of "
    L"window to reveal full names.";
constexpr int kActionButtons[] = {IDC_CHECK1, IDC_CHECK4, IDC_CHECK2};
constexpr int kButtonIconIds[] = {IDI_BUTTON_DOCUMENT, IDI_BUTTON_FOLDER, IDI_BUTTON_FLOPPY};

HFONT MakeArialBold(double points, unsigned dpi) {
  return CreateFontW(FontHeightForPoints(points, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
}

void ReleaseFont(HFONT& font) {
  if (font) DeleteObject(font);
  font = nullptr;
}

unsigned DpiOf(HWND hwnd) {
  const UINT dpi = GetDpiForWindow(hwnd);
  return dpi ? dpi : 96;
}

HomePageChance WithRealDefaults(HomePageChance chance) {
  if (!chance.secondsSinceMidnight) {
    chance.secondsSinceMidnight = [] {
      SYSTEMTIME now;
      GetLocalTime(&now);
      return now.wHour * 3600.0f + now.wMinute * 60.0f + now.wSecond + now.wMilliseconds / 1000.0f;
    };
  }
  if (!chance.draw) chance.draw = SeededDraw;
  if (!chance.launch) {
    chance.launch = [](const std::string& commandLine) {
      std::wstring line = Widen(commandLine);
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = SW_SHOWMINIMIZED;
      PROCESS_INFORMATION process{};
      // Not waited for; a failure to start the browser is not the user's concern at start.
      if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
      }
    };
  }
  return chance;
}

}  // namespace

bool RegisterForm1Class(HINSTANCE instance) {
  WNDCLASSEXW existing{sizeof existing};
  if (GetClassInfoExW(instance, kForm1ClassName, &existing)) return true;
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = Form1::WndProc;
  wc.hInstance = instance;
  wc.hIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLORY_BLANK), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLORY_BLANK), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kForm1ClassName;
  return RegisterClassExW(&wc) != 0;
}

Form1::Form1(Form1Options options) : options_(std::move(options)) {}

Form1::~Form1() {
  if (hwnd_) DestroyWindow(hwnd_);
  ReleaseFont(buttonFont_);
  ReleaseFont(optionFont_);
  ReleaseFont(listFont_);
  for (HICON& icon : buttonIcons_) {
    if (icon) DestroyIcon(icon);
  }
  if (customPointer_) DestroyCursor(customPointer_);
  if (dragPointer_) DestroyCursor(dragPointer_);
}

std::unique_ptr<Form1> Form1::Create(HINSTANCE instance, Form1Options options) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  if (!RegisterForm1Class(instance)) return nullptr;
  if (options.appFolder.empty()) options.appFolder = ApplicationFolder();
  options.homePage = WithRealDefaults(std::move(options.homePage));

  std::unique_ptr<Form1> form(new Form1(std::move(options)));
  HWND hwnd = CreateWindowExW(kForm1ExStyle, kForm1ClassName, L"", kForm1Style, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, form.get());
  if (!hwnd) return nullptr;
  form->Form_Load();
  if (form->options_.show) {
    ShowWindow(hwnd, form->options_.showCommand);
    UpdateWindow(hwnd);
  }
  SetFocus(form->Control(IDC_COMMAND1));
  return form;
}

LRESULT CALLBACK Form1::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Form1* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  if (!form) return DefWindowProcW(hwnd, msg, wParam, lParam);
  const LRESULT result = form->HandleMessage(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
  }
  return result;
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      dpi_ = DpiOf(hwnd_);
      whiteBrush_ = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      CreateControls();
      ApplyLayout(dpi_);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      break;
    case WM_MOUSEMOVE:
      Form_MouseMove();
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(whiteBrush_);
    case kRefreshCountMessage:
      if (countRefreshPosted_) RefreshListCount();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DESTROY:
      Form_Unload();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void Form1::CreateControls() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  for (const ControlDesign& design : Form1Design()) {
    HWND control = CreateWindowExW(design.exStyle, design.windowClass, design.text, design.style, 0, 0, 0, 0,
                                   hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), instance, nullptr);
    if (design.id == IDC_CHECK1 || design.id == IDC_CHECK2 || design.id == IDC_CHECK4) {
      SetWindowSubclass(control, ButtonSubclassProc, design.id, reinterpret_cast<DWORD_PTR>(this));
    }
  }

  HWND list = Control(IDC_LISTVIEW1);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  SetWindowSubclass(list, ListSubclassProc, IDC_LISTVIEW1, reinterpret_cast<DWORD_PTR>(this));

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance,
                             nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(list);
  tool.lpszText = const_cast<wchar_t*>(kListTooltip);
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

  HWND progress = Control(IDC_PROGRESSBAR1);
  SendMessageW(progress, PBM_SETRANGE32, 0, 100);
  SendMessageW(progress, PBM_SETPOS, 0, 0);

  SendMessageW(Control(IDC_OPTION1), BM_SETCHECK, BST_CHECKED, 0);

  // Files dropped from the shell are welcome for the whole life of the window.
  dropTarget_ = RegisterListDropTarget(list, [this](std::vector<std::string> paths) {
    AppendEntries(std::move(paths));
  });
}

void Form1::ApplyLayout(unsigned dpi) {
  dpi_ = dpi;
  ReleaseFont(buttonFont_);
  ReleaseFont(optionFont_);
  ReleaseFont(listFont_);
  buttonFont_ = MakeArialBold(11.25, dpi);
  optionFont_ = MakeArialBold(9, dpi);
  listFont_ = MakeArialBold(9, dpi);

  HDWP positions = BeginDeferWindowPos(static_cast<int>(Form1Design().size()));
  for (const ControlDesign& design : Form1Design()) {
    const RECT rect = DesignRectPixels(design, dpi);
    HWND control = Control(design.id);
    positions = DeferWindowPos(positions, control, nullptr, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    HFONT font = nullptr;
    switch (design.id) {
      case IDC_CHECK1: case IDC_CHECK2: case IDC_CHECK4: font = buttonFont_; break;
      case IDC_OPTION1: case IDC_OPTION2: font = optionFont_; break;
      case IDC_LISTVIEW1: font = listFont_; break;
      default: font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); break;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  EndDeferWindowPos(positions);

  const int iconSize = MulDiv(32, static_cast<int>(dpi), 96);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  for (size_t i = 0; i < 3; ++i) {
    if (buttonIcons_[i]) DestroyIcon(buttonIcons_[i]);
    buttonIcons_[i] = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kButtonIconIds[i]), IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR));
  }

  HWND list = Control(IDC_LISTVIEW1);
  if (Header_GetItemCount(ListView_GetHeader(list)) > 0) {
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, TwipsToPixels(kListColumnTwips, dpi));
  }
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(360, static_cast<int>(dpi), 96));

  // The frame is measured rather than computed: the caption's height at this DPI is the
  // system's business, the client area is ours.
  RECT window, client;
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  const int frameWidth = (window.right - window.left) - client.right;
  const int frameHeight = (window.bottom - window.top) - client.bottom;
  SetWindowPos(hwnd_, nullptr, 0, 0, TwipsToPixels(kClientWidthTwips, dpi) + frameWidth,
               TwipsToPixels(kClientHeightTwips, dpi) + frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form1::OnDpiChanged(unsigned dpi, const RECT* suggested) {
  ApplyLayout(dpi);
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Start-up, in this order: centre, the optional pointer image, the home-page chance, the
// caption, the list's column, the progress bar's white background.
void Form1::Form_Load() {
  CenterForm(hwnd_);

  const std::wstring cursorPath = options_.appFolder + L"\\HAND-M.CUR";
  if (FileExists(cursorPath)) {
    customPointer_ = static_cast<HCURSOR>(
        LoadImageW(nullptr, cursorPath.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  }

  MaybeOpenHomePage(options_.homePage);

  SetWindowTextW(hwnd_, kAppTitle);

  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<wchar_t*>(kListColumnText);
  column.cx = TwipsToPixels(kListColumnTwips, dpi_);
  SendMessageW(Control(IDC_LISTVIEW1), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  SendMessageW(Control(IDC_PROGRESSBAR1), CCM_SETBKCOLOR, 0, RGB(255, 255, 255));
}

void Form1::Form_Unload() {
  closed_ = true;
  if (dropTarget_) {
    RevokeListDropTarget(Control(IDC_LISTVIEW1), dropTarget_);
    dropTarget_ = nullptr;
  }
  if (options_.onClosed) options_.onClosed();
}

void Form1::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDC_CHECK1: Check1_Click(); break;
    case IDC_CHECK4: Check4_Click(); break;
    case IDC_CHECK2: Check2_Click(); break;
    default: break;  // Command1 only holds the focus; the option buttons need no handler
  }
}

// The button convention: a click sets the value to 1; the handler works only then, and sets
// it back to 0 first, so the button never stays pressed and works once per click.
bool Form1::TakePress(ControlId button) {
  HWND control = Control(button);
  if (SendMessageW(control, BM_GETCHECK, 0, 0) != BST_CHECKED) return false;
  SendMessageW(control, BM_SETCHECK, BST_UNCHECKED, 0);
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  // A walk lets messages run: a press arriving meanwhile is ignored, not queued.
  return !busy_ && !closed_;
}

void Form1::Check1_Click() {
  if (TakePress(IDC_CHECK1)) AddFilesThroughOpenDialog(*this);
}

void Form1::Check4_Click() {
  if (TakePress(IDC_CHECK4)) AddAllFilesInFolder(*this);
}

void Form1::Check2_Click() {
  if (TakePress(IDC_CHECK2)) RunConversion(*this);
}

bool Form1::Option1Selected() const {
  return SendMessageW(Control(IDC_OPTION1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form1::SetProgress(double value) {
  const int position = static_cast<int>(std::lround(std::clamp(value, 0.0, 100.0)));
  SendMessageW(Control(IDC_PROGRESSBAR1), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int Form1::Progress() const {
  return static_cast<int>(SendMessageW(Control(IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0));
}

// The list view's count update costs time in proportion to the whole list, so single appends
// in a row are told to it once, when the window next reads its messages.
void Form1::AppendEntry(std::string utf8Path) {
  files_.Append(std::move(utf8Path));
  if (hwnd_ && !countRefreshPosted_) countRefreshPosted_ = PostMessageW(hwnd_, kRefreshCountMessage, 0, 0);
}

void Form1::AppendEntries(std::vector<std::string> utf8Paths) {
  if (utf8Paths.empty()) return;
  files_.AppendAll(std::move(utf8Paths));
  RefreshListCount();
}

void Form1::RefreshListCount() {
  countRefreshPosted_ = false;
  if (!hwnd_) return;
  SendMessageW(Control(IDC_LISTVIEW1), LVM_SETITEMCOUNT, static_cast<WPARAM>(files_.Count()),
               LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  InvalidateRect(Control(IDC_LISTVIEW1), nullptr, FALSE);
}

LRESULT Form1::OnNotify(NMHDR* header) {
  if (header->idFrom != IDC_LISTVIEW1) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      LVITEMW& item = info->item;
      const size_t position = static_cast<size_t>(item.iItem);
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        if (item.iSubItem == 0 && position < files_.Count()) {
          textBuffer_ = Widen(files_.Text(position));
          const size_t count = std::min(textBuffer_.size(), static_cast<size_t>(item.cchTextMax - 1));
          std::copy_n(textBuffer_.data(), count, item.pszText);
          item.pszText[count] = L'\0';
        } else {
          item.pszText[0] = L'\0';
        }
      }
      return 0;
    }
    case LVN_ODFINDITEMW:
      return -1;
    default:
      return 0;
  }
}

// --- The list: selection, the reorder gesture and removal -------------------------------------

std::optional<size_t> Form1::ListHitTest(int x, int y) const {
  HWND list = Control(IDC_LISTVIEW1);
  const size_t count = files_.Count();
  if (count == 0) return std::nullopt;
  RECT client;
  GetClientRect(list, &client);
  if (x < client.left || x >= client.right || y < client.top || y >= client.bottom) return std::nullopt;
  const int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&row))) {
    return std::nullopt;
  }
  const int height = row.bottom - row.top;
  if (height <= 0 || y < row.top) return std::nullopt;  // over the column header
  const size_t position = static_cast<size_t>(top) + static_cast<size_t>((y - row.top) / height);
  if (position >= count) return std::nullopt;  // empty space below the last entry
  return position;
}

void Form1::SelectOnly(std::optional<size_t> position) {
  HWND list = Control(IDC_LISTVIEW1);
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (!position) return;
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(*position), reinterpret_cast<LPARAM>(&select));
}

void Form1::ListView1_ItemClick() {
  listPointer_ = ListPointer::Drag;
  if (dragPointer_) DestroyCursor(dragPointer_);
  dragPointer_ = nullptr;
  const std::wstring iconPath = options_.appFolder + L"\\drag.ico";
  if (FileExists(iconPath)) {
    dragPointer_ = static_cast<HCURSOR>(
        LoadImageW(nullptr, iconPath.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  }
  const LRESULT selected = SendMessageW(Control(IDC_LISTVIEW1), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  reorder_.ItemClick(selected >= 0 ? std::optional<size_t>(static_cast<size_t>(selected)) : std::nullopt);
  ShowPointerNow();
}

void Form1::ListView1_MouseDown() { reorder_.ButtonDown(); }

void Form1::ListView1_MouseUp() {
  reorder_.ButtonUp();
  listPointer_ = ListPointer::Arrow;
  ShowPointerNow();
}

void Form1::ListView1_MouseMove(int x, int y) {
  SetPointerUnlessBusy(kPointerDefault);
  if (!reorder_.ButtonHeld()) return;
  HWND list = Control(IDC_LISTVIEW1);
  const VisibleRows rows{static_cast<size_t>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0)),
                         static_cast<size_t>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0))};
  const MoveOutcome outcome = reorder_.Move(files_, ListHitTest(x, y), rows);
  if (!outcome.exchanged) return;
  SendMessageW(list, LVM_REDRAWITEMS, std::min(outcome.from, outcome.to), std::max(outcome.from, outcome.to));
  SelectOnly(outcome.to);
  if (outcome.ensureVisible) SendMessageW(list, LVM_ENSUREVISIBLE, *outcome.ensureVisible, FALSE);
}

void Form1::ListView1_DblClick() {
  const LRESULT selected =
      SendMessageW(Control(IDC_LISTVIEW1), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (selected < 0) return;  // nothing selected: nothing to remove, nothing to say
  const size_t position = static_cast<size_t>(selected);
  if (!files_.Remove(position)) return;
  reorder_.Removed(position);
  SelectOnly(std::nullopt);
  RefreshListCount();
}

LRESULT CALLBACK Form1::ListSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR refData) {
  return reinterpret_cast<Form1*>(refData)->ListMessage(hwnd, msg, wParam, lParam);
}

// The list's mouse buttons are handled here rather than by the control, whose own press
// handling would start a drag-and-drop of its own and swallow the pointer moves of a drag.
LRESULT Form1::ListMessage(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Appends not yet told to the view are told before the view is asked anything.
  if (countRefreshPosted_ && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) RefreshListCount();
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(list);
      const std::optional<size_t> hit = ListHitTest(x, y);
      SelectOnly(hit);
      if (hit) ListView1_ItemClick();
      ListView1_MouseDown();
      SetCapture(list);
      if (msg == WM_LBUTTONDBLCLK) ListView1_DblClick();
      return 0;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      SetFocus(list);
      ListView1_MouseDown();
      SetCapture(list);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      ListView1_MouseUp();
      if (GetCapture() == list && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
      return 0;
    case WM_MOUSEMOVE:
      ListView1_MouseMove(x, y);
      break;
    case WM_SETCURSOR:
      if (OnSetCursor(list, LOWORD(lParam))) return TRUE;
      break;
    case WM_CAPTURECHANGED:
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, ListSubclassProc, IDC_LISTVIEW1);
      break;
    default:
      break;
  }
  return DefSubclassProc(list, msg, wParam, lParam);
}

LRESULT CALLBACK Form1::ButtonSubclassProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR refData) {
  Form1* form = reinterpret_cast<Form1*>(refData);
  size_t index = 0;
  while (index < 3 && kActionButtons[index] != static_cast<int>(id)) ++index;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(button, &paint);
      PaintActionButton(button, dc, form->buttonIcons_[index], MulDiv(32, static_cast<int>(form->dpi_), 96));
      EndPaint(button, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return TRUE;
    case WM_NCDESTROY:
      RemoveWindowSubclass(button, ButtonSubclassProc, id);
      break;
    case WM_MOUSEMOVE:
      if (id == IDC_CHECK1) form->Check1_MouseMove();
      if (id == IDC_CHECK4) form->Check4_MouseMove();
      if (id == IDC_CHECK2) form->Check2_MouseMove();
      {
        // Pressed and moved off or back on: the state changes without a click.
        const LRESULT before = DefSubclassProc(button, BM_GETSTATE, 0, 0);
        const LRESULT result = DefSubclassProc(button, msg, wParam, lParam);
        if (DefSubclassProc(button, BM_GETSTATE, 0, 0) != before) {
          RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        return result;
      }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
    case WM_SETTEXT:
    case BM_SETSTATE:
    case BM_SETCHECK: {
      // The control paints its own face directly on these; paint ours over it.
      const LRESULT result = DefSubclassProc(button, msg, wParam, lParam);
      if (IsWindow(button)) RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return result;
    }
    default:
      break;
  }
  return DefSubclassProc(button, msg, wParam, lParam);
}

}  // namespace quillory
