#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "adding/add_folder_press_win.h"
#include "adding/open_dialog_press_win.h"
#include "app/main_window_layout.h"
#include "app/report_store.h"
#include "app/run_settings.h"
#include "app/window_centring.h"
#include "conversion/word_automation_win.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/local_time.h"
#include "platform/message_box.h"
#include "platform/process_launch.h"
#include "platform/twips.h"
#include "resources/resource_ids.h"

namespace quillory {

namespace {

HFONT MakeArialBold(double points, unsigned dpi) {
  return CreateFontW(FontHeightForPoints(points, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
}

HomePageChance WithRealDefaults(HomePageChance chance) {
  if (!chance.secondsSinceMidnight) chance.secondsSinceMidnight = SecondsSinceMidnight;
  if (!chance.draw) chance.draw = SeededDraw;
  // Not waited for; a failure to start the browser is not the user's concern at start.
  if (!chance.launch) chance.launch = [](const std::string& commandLine) { LaunchMinimized(commandLine); };
  return chance;
}

HICON LoadIconAtSize(HINSTANCE instance, int id, int width, int height) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

}  // namespace

bool RegisterForm1Class(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kForm1ClassName, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Form1::WndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconAtSize(instance, IDI_QUILLORY_BLANK, 32, 32);
  wc.hIconSm = LoadIconAtSize(instance, IDI_QUILLORY_BLANK, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kForm1ClassName;
  return RegisterClassExW(&wc) != 0;
}

Form1::Form1(Form1Options options) : options_(std::move(options)), list_(*this, pointer_, options_.appFolder) {}

Form1::~Form1() {
  if (hwnd_) DestroyWindow(hwnd_);
}

std::unique_ptr<Form1> Form1::Create(HINSTANCE instance, Form1Options options) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
  InitCommonControlsEx(&controls);
  if (!RegisterForm1Class(instance)) return nullptr;
  if (options.appFolder.empty()) options.appFolder = ApplicationFolder();
  options.homePage = WithRealDefaults(std::move(options.homePage));

  std::unique_ptr<Form1> form(new Form1(std::move(options)));
  // Made at its designed size for the system's DPI, which is the window's but on another
  // monitor: the layout then has nothing to resize before the first paint.
  const unsigned dpi = GetDpiForSystem();
  // It is made where it will be centred, too, so that it need not move either.
  RECT outer{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
  AdjustWindowRectExForDpi(&outer, kForm1Style, FALSE, kForm1ExStyle, dpi);
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  const POINT at = CenteredTopLeft(size, dpi);
  HWND hwnd = CreateWindowExW(kForm1ExStyle, kForm1ClassName, L"", kForm1Style, at.x, at.y, size.cx, size.cy, nullptr,
                              nullptr, instance, form.get());
  if (!hwnd) return nullptr;
  form->Form_Load();
  if (form->options_.show) {
    ShowWindow(hwnd, form->options_.showCommand);
    UpdateWindow(hwnd);
  }
  form->focusOnReturn_ = form->Control(IDC_COMMAND1);
  SetFocus(form->focusOnReturn_);
  PostMessageW(hwnd, kAfterFirstPaint, 0, 0);
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
      // Made at their designed places with their fonts, so that nothing is laid out twice.
      dpi_ = WindowDpi(hwnd_);
      MakeFonts(dpi_);
      CreateControls();
      ApplyPalette();
      LoadButtonPictures(dpi_);
      if (FitFrame(dpi_)) CenterForm(hwnd_);  // made centred, but for a frame of another size
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case kAfterFirstPaint:
      Form_AfterFirstPaint();
      return 0;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      return header->idFrom == IDC_LISTVIEW1 ? list_.OnNotify(header) : 0;
    }
    case WM_SETCURSOR:
      if (pointer_.OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      break;
    case WM_MOUSEMOVE:
      Form_MouseMove();
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && press_ == Press::kConverting) stopRequested_ = true;
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ControlColours(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd_, &client);
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetDCBrushColor(dc, palette_.background);
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      return TRUE;
    }
    case WM_SETTINGCHANGE:
      if (wParam != SPI_SETHIGHCONTRAST) break;
      [[fallthrough]];
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      // The common controls take the system's new colours only when told.
      for (ControlId id : {IDC_LISTVIEW1, IDC_PROGRESSBAR1}) SendMessageW(Control(id), WM_SYSCOLORCHANGE, 0, 0);
      ApplyPalette();
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case WM_ACTIVATE:
      // The control that had the focus gets it back when the window is active again.
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (HWND focus = GetFocus(); focus && IsChild(hwnd_, focus)) focusOnReturn_ = focus;
      } else if (IsWindow(focusOnReturn_) && IsChild(hwnd_, focusOnReturn_)) {
        SetFocus(focusOnReturn_);
        return 0;
      }
      break;
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
  buttonFaces_ = std::vector<ActionButtonFace>(ActionButtonCount());  // never resized: buttons hold them
  size_t button = 0;
  for (const ControlDesign& design : Form1Design()) {
    const RECT rect = DesignRectPixels(design, dpi_);
    HWND control = CreateWindowExW(design.exStyle, design.windowClass, design.text, design.style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), instance, nullptr);
    // The font goes first: every message to a subclassed control costs a property lookup.
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(design)), FALSE);
    if (design.onClick) {
      ActionButtonFace& face = buttonFaces_[button++];
      face.onMouseMove = [this] { ActionButton_MouseMove(); };
      AttachActionButton(control, &face);
    }
  }
  list_.Attach(Control(IDC_LISTVIEW1));
  pointer_.Attach(hwnd_, list_.Hwnd());

  HWND progress = Control(IDC_PROGRESSBAR1);
  SendMessageW(progress, PBM_SETRANGE32, 0, 100);
  SendMessageW(progress, PBM_SETPOS, 0, 0);

  // Checked as a plain radio button: an automatic one would walk its group to clear the
  // others, and at start none of them is checked.
  HWND option1 = Control(IDC_OPTION1);
  SendMessageW(option1, BM_SETSTYLE, BS_RADIOBUTTON, FALSE);
  SendMessageW(option1, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(option1, BM_SETSTYLE, BS_AUTORADIOBUTTON, FALSE);
}

void Form1::MakeFonts(unsigned dpi) {
  buttonFont_.Reset(MakeArialBold(11.25, dpi));
  optionFont_.Reset(MakeArialBold(9, dpi));
  listFont_.Reset(MakeArialBold(9, dpi));
}

HFONT Form1::FontFor(const ControlDesign& design) const {
  switch (design.font) {
    case ControlFont::kActionButton: return buttonFont_.Get();
    case ControlFont::kOption: return optionFont_.Get();
    case ControlFont::kList: return listFont_.Get();
    case ControlFont::kSystem: break;
  }
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Form1::LoadButtonPictures(unsigned dpi) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  const int iconSize = ScaleForDpi(32, dpi);
  size_t button = 0;
  for (const ControlDesign& design : Form1Design()) {
    if (!design.onClick) continue;
    ActionButtonFace& face = buttonFaces_[button++];
    face.icon.Reset(LoadIconAtSize(instance, design.icon, iconSize, iconSize));
    face.iconSize = iconSize;
  }
}

// The frame is measured rather than computed: the caption's height at this DPI is the
// system's business, the client area is ours. Tells whether the window was resized.
bool Form1::FitFrame(unsigned dpi) {
  RECT window, client;
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  const int frameWidth = (window.right - window.left) - client.right;
  const int frameHeight = (window.bottom - window.top) - client.bottom;
  const int width = TwipsToPixels(kClientWidthTwips, dpi) + frameWidth;
  const int height = TwipsToPixels(kClientHeightTwips, dpi) + frameHeight;
  if (width != window.right - window.left || height != window.bottom - window.top) {
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }
  return false;
}

// A new DPI: fonts, places, pictures and frame again, for controls that exist.
void Form1::ApplyLayout(unsigned dpi) {
  dpi_ = dpi;
  MakeFonts(dpi);
  HDWP positions = BeginDeferWindowPos(static_cast<int>(Form1Design().size()));
  for (const ControlDesign& design : Form1Design()) {
    const RECT rect = DesignRectPixels(design, dpi);
    HWND control = Control(design.id);
    if (positions) {
      positions = DeferWindowPos(positions, control, nullptr, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(design)), FALSE);
  }
  if (positions) EndDeferWindowPos(positions);
  LoadButtonPictures(dpi);
  list_.ApplyDpi(dpi);
  FitFrame(dpi);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form1::OnDpiChanged(unsigned dpi, const RECT* suggested) {
  ApplyLayout(dpi);
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Start-up, what the first paint shows, in this order: the caption, the list's column and the
// documents the program was started with, the progress bar's white background. The window
// was made in the middle of the screen.
void Form1::Form_Load() {
  SetWindowTextW(hwnd_, kAppTitle);
  list_.InsertColumn(dpi_);
  AppendEntries(std::move(options_.initialEntries));
  SendMessageW(Control(IDC_PROGRESSBAR1), CCM_SETBKCOLOR, 0, palette_.background);
}

void Form1::ApplyPalette() {
  HIGHCONTRASTW highContrast{};
  highContrast.cbSize = sizeof highContrast;
  const bool on = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
                  (highContrast.dwFlags & HCF_HIGHCONTRASTON);
  palette_ = ChoosePalette(on, Palette{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)});
  for (ActionButtonFace& face : buttonFaces_) {
    face.faceColour = palette_.background;
    face.textColour = palette_.text;
  }
  if (HWND progress = Control(IDC_PROGRESSBAR1)) SendMessageW(progress, CCM_SETBKCOLOR, 0, palette_.background);
}

// The options' (and the buttons' own) backgrounds and texts.
LRESULT Form1::ControlColours(HDC dc) const {
  SetBkColor(dc, palette_.background);
  SetTextColor(dc, palette_.text);
  SetDCBrushColor(dc, palette_.background);
  return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

// What the first paint does not need waits until the window is shown: the optional pointer
// image, the home-page chance, the list's tooltip and its drop target (OLE is ready by then).
void Form1::Form_AfterFirstPaint() {
  const std::wstring cursorPath = options_.appFolder + L"\\HAND-M.CUR";
  if (FileExists(cursorPath)) {
    pointer_.SetCustomImage(static_cast<HCURSOR>(
        LoadImageW(nullptr, cursorPath.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
  }
  MaybeOpenHomePage(options_.homePage);
  list_.AttachTooltipAndDropTarget(dpi_);
  list_.AnnounceName();
}

void Form1::Form_Unload() {
  closed_ = true;
  list_.Detach();
  if (options_.onClosed) options_.onClosed();
}

void Form1::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IDCANCEL) {  // Esc, wherever the focus is
    if (press_ == Press::kConverting) stopRequested_ = true;
    return;
  }
  // Command1 only holds the focus; the option buttons need no handler.
  for (const ControlDesign& design : Form1Design()) {
    if (design.id == id && design.onClick && TakePress(Control(design.id))) (this->*design.onClick)();
  }
}

// The button convention: a click sets the value to 1; the handler works only then, and sets
// it back to 0 first, so the button never stays pressed and works once per click.
bool Form1::TakePress(HWND button) {
  if (SendMessageW(button, BM_GETCHECK, 0, 0) != BST_CHECKED) return false;
  SendMessageW(button, BM_SETCHECK, BST_UNCHECKED, 0);
  RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  // Long work lets messages run: a press arriving meanwhile is ignored, not queued.
  return press_ == Press::kNone && !closed_;
}

// Pointer moves never replace the hourglass of long work (the pointer sees to it).
void Form1::ActionButton_MouseMove() { pointer_.Hover(PointerShape::kCustom); }
void Form1::Form_MouseMove() { pointer_.Hover(PointerShape::kDefault); }

void Form1::Check1_Click() { AddFilesThroughOpenDialog(*this); }

void Form1::Check4_Click() {
  PressScope press(*this, Press::kAddingFolder);
  AddAllFilesInFolder(*this);
}

void Form1::Check2_Click() {
  // The window answers throughout the run: other presses are ignored, the list stays as it
  // is, and Esc stops the run.
  PressScope press(*this, Press::kConverting);
  stopRequested_ = false;
  RunConversion(*this, WaitAnsweringWindow(hwnd_), ReadRunSettings());
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

void Form1::ShowInformation(const std::string& text) { ShowMessage(hwnd_, text, MB_OK); }

void Form1::RunBegins() {
  StartedReport started = StartReportFile();
  reportFile_ = std::move(started.file);
  kept_ = std::move(started.kept);
  if (reportFile_) {
    journal_.emplace(kept_.path, [this](std::string_view bytes) { return reportFile_->Append(bytes); }, true);
  }
}

void Form1::RowReported(const ReportRow& row) {
  if (journal_) journal_->Add(row);
}

KeptReport Form1::KeepReport(const RunReport&) {
  KeptReport kept = std::move(kept_);
  if (journal_ && !journal_->Error().empty()) kept = {{}, journal_->Error(), true};
  journal_.reset();
  reportFile_.reset();
  kept_ = {};
  return kept;
}

std::string Form1::PathKey(const std::string& path) const { return ComparablePath(path); }

bool Form1::AskYesNo(const std::string& text) {
  return ShowMessage(hwnd_, text, MB_YESNO | MB_DEFBUTTON1) == IDYES;
}

}  // namespace quillory
