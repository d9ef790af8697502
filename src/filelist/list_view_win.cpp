#include "filelist/list_view_win.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "common/utf_win.h"
#include "filelist/drop_target_win.h"
#include "platform/accessible_object.h"
#include "platform/dpi.h"
#include "common/scoped_handles_win.h"
#include "platform/files.h"
#include "platform/shell_folder.h"
#include "platform/twips.h"

namespace quillory {
namespace {

constexpr wchar_t kColumnText[] = L"Word Doc File(s)";
constexpr int kColumnTwips = 6000;
constexpr wchar_t kTooltip[] =
    L"Drag and drop files here. Double-click item to remove it. Move bar to right and out of "
    L"window to reveal full names.";
constexpr UINT_PTR kSubclassId = 1;

// The list's menu: each item with the key that does the same, where there is one.
enum MenuCommand : UINT { kMoveUp = 1, kMoveDown, kMoveToTop, kMoveToBottom, kRemove, kOpenFolder };
struct MenuItem {
  MenuCommand command;
  const wchar_t* text;
};
constexpr MenuItem kMenu[] = {
    {kMoveUp, L"Move Up\tAlt+Up"},         {kMoveDown, L"Move Down\tAlt+Down"},
    {kMoveToTop, L"Move to Top\tAlt+Home"}, {kMoveToBottom, L"Move to Bottom\tAlt+End"},
    {kRemove, L"Remove\tDel"},              {kOpenFolder, L"Open Containing Folder"},
};
std::optional<ListMove> MoveOfCommand(UINT command) {
  if (command < kMoveUp || command > kMoveToBottom) return std::nullopt;
  return kListMoves[command - kMoveUp];
}

// Alt with an arrow, Home or End.
std::optional<ListMove> MoveOfKey(WPARAM key, LPARAM flags) {
  if (!(flags & (1 << 29))) return std::nullopt;  // Alt is not held
  switch (key) {
    case VK_UP: return ListMove::kUp;
    case VK_DOWN: return ListMove::kDown;
    case VK_HOME: return ListMove::kToTop;
    case VK_END: return ListMove::kToBottom;
    default: return std::nullopt;
  }
}

constexpr size_t kDragImageLimit = 1 << 20;

int ColumnPixels(unsigned dpi) { return TwipsToPixels(kColumnTwips, dpi); }

}  // namespace

FileListView::FileListView(ListViewHost& host, ListPointer& pointer, std::wstring appFolder)
    : host_(host), pointer_(pointer), appFolder_(std::move(appFolder)) {}

void FileListView::Attach(HWND list) {
  list_ = list;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  SetWindowSubclass(list, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void FileListView::AttachTooltipAndDropTarget(unsigned dpi) {
  HWND list = list_;
  HWND parent = GetParent(list);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE)), nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = parent;
  tool.uId = reinterpret_cast<UINT_PTR>(list);
  tool.lpszText = const_cast<wchar_t*>(kTooltip);
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(360, dpi));

  // Files dropped from the shell are welcome for the whole life of the window.
  dropTarget_ = RegisterListDropTarget(
      list, [this](std::vector<std::string> paths) { AppendEntries(std::move(paths)); },
      [this] { return !host_.ListLocked(); });
}

void FileListView::AnnounceName() { answerName_ = !AnnotateAccessibleName(list_, kColumnText); }

void FileListView::Detach() {
  if (dropTarget_) RevokeListDropTarget(list_, dropTarget_);
  dropTarget_ = nullptr;
}

void FileListView::InsertColumn(unsigned dpi) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<wchar_t*>(kColumnText);
  column.cx = ColumnPixels(dpi);
  SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void FileListView::ApplyDpi(unsigned dpi) {
  if (Header_GetItemCount(ListView_GetHeader(list_)) > 0) {
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, ColumnPixels(dpi));
  }
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(360, dpi));
}

void FileListView::AppendEntries(std::vector<std::string> utf8Paths) {
  if (utf8Paths.empty()) return;
  files_.AppendAll(std::move(utf8Paths));
  RefreshCount();
}

void FileListView::RefreshCount() {
  if (!IsWindow(list_)) return;
  SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(files_.Count()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, FALSE);
}

LRESULT FileListView::OnNotify(const NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header))->item;
      if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return 0;
      const size_t position = static_cast<size_t>(item.iItem);
      if (item.iSubItem != 0 || position >= files_.Count()) {
        item.pszText[0] = L'\0';
        return 0;
      }
      textBuffer_ = Widen(files_.Text(position));
      const size_t count = std::min(textBuffer_.size(), static_cast<size_t>(item.cchTextMax - 1));
      std::copy_n(textBuffer_.data(), count, item.pszText);
      item.pszText[count] = L'\0';
      return 0;
    }
    case LVN_ODFINDITEMW:
      return -1;
    default:
      return 0;
  }
}

// --- Selection, the reorder gesture and removal ----------------------------------------------

std::optional<size_t> FileListView::HitTest(int x, int y) const {
  const size_t count = files_.Count();
  if (count == 0) return std::nullopt;
  RECT client;
  GetClientRect(list_, &client);
  if (x < client.left || x >= client.right || y < client.top || y >= client.bottom) return std::nullopt;
  const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (!SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&row))) {
    return std::nullopt;
  }
  const int height = row.bottom - row.top;
  if (height <= 0 || y < row.top) return std::nullopt;  // over the column header
  const size_t position = static_cast<size_t>(top) + static_cast<size_t>((y - row.top) / height);
  if (position >= count) return std::nullopt;  // empty space below the last entry
  return position;
}

// At most one entry is selected, and but for keyboard moves with Ctrl it is the focused one:
// asking for that first spares a search from the top of the list, which a long list feels.
std::optional<size_t> FileListView::Selected() const {
  if (SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0) == 0) return std::nullopt;
  LRESULT selected = SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED);
  if (selected < 0) selected = SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (selected < 0) return std::nullopt;
  return static_cast<size_t>(selected);
}

// Only the selected entry is cleared: clearing them all costs time in proportion to the list.
void FileListView::SelectOnly(std::optional<size_t> position) {
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  if (const std::optional<size_t> selected = Selected(); selected && selected != position) {
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(*selected), reinterpret_cast<LPARAM>(&clear));
  }
  if (!position) return;
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(*position), reinterpret_cast<LPARAM>(&select));
}

// "drag.ico" is read afresh at every click, and the image made again only when the bytes differ
// from the last ones: a replaced file shows at once, the same file costs the pointer nothing.
void FileListView::ListView1_ItemClick() {
  const std::wstring iconPath = appFolder_ + L"\\drag.ico";
  std::optional<std::string> bytes = ReadSmallFile(iconPath, kDragImageLimit);
  if (!bytes) {
    dragPointer_.Reset();
    dragPointerBytes_.clear();
  } else if (!dragPointer_ || *bytes != dragPointerBytes_) {
    dragPointer_.Reset(static_cast<HCURSOR>(
        LoadImageW(nullptr, iconPath.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
    dragPointerBytes_ = std::move(*bytes);
  }
  reorder_.ItemClick(Selected());
  pointer_.ListDrag(ListDragState::kDragging, dragPointer_.Get());
}

void FileListView::ListView1_MouseDown() {
  reorder_.ButtonDown();
  rightPressedOn_.reset();
}

void FileListView::ListView1_MouseUp() {
  reorder_.ButtonUp();
  pointer_.ListDrag(ListDragState::kReleased, nullptr);
}

void FileListView::ListView1_MouseMove(int x, int y) {
  pointer_.MovedOverList();
  if (!reorder_.ButtonHeld()) return;
  const VisibleRows rows{static_cast<size_t>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0)),
                         static_cast<size_t>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0))};
  const MoveOutcome outcome = reorder_.Move(files_, HitTest(x, y), rows);
  if (!outcome.exchanged) return;
  rightPressedOn_.reset();
  RedrawEntries(outcome.from, outcome.to);
  SelectOnly(outcome.to);
  if (outcome.ensureVisible) SendMessageW(list_, LVM_ENSUREVISIBLE, *outcome.ensureVisible, FALSE);
}

void FileListView::ListView1_DblClick() { RemoveSelected(); }

std::optional<size_t> FileListView::RemoveSelected() {
  const std::optional<size_t> position = Selected();
  if (!position || !files_.Remove(*position)) return std::nullopt;  // nothing to remove, nothing to say
  reorder_.Removed(*position);
  SelectOnly(std::nullopt);
  RefreshCount();
  return position;
}

// Pressing Delete again then removes the next entry (or, after the last, the one above).
void FileListView::RemoveSelectedKeepingPlace() {
  const std::optional<size_t> removed = RemoveSelected();
  if (removed && files_.Count() > 0) ShowSelected(std::min(*removed, files_.Count() - 1));
}

// As a drag over the entries between: the moved entry stays selected and in view.
void FileListView::MoveSelected(ListMove move) {
  const std::optional<size_t> from = Selected();
  if (!from) return;
  const std::optional<size_t> to = MoveTarget(move, *from, files_.Count());
  if (!to) return;  // at the top or the bottom already
  files_.Move(*from, *to);
  reorder_.Moved(*from, *to);
  RedrawEntries(*from, *to);
  ShowSelected(*to);
}

void FileListView::ShowSelected(size_t position) {
  SelectOnly(position);
  SendMessageW(list_, LVM_ENSUREVISIBLE, position, FALSE);
}

// Only the rows shown are drawn again: a move to the top of a long list changes every row between.
void FileListView::RedrawEntries(size_t first, size_t last) {
  if (first > last) std::swap(first, last);
  const size_t top = static_cast<size_t>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
  const size_t bottom = top + static_cast<size_t>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0));
  first = std::max(first, top);
  last = std::min(last, bottom);
  if (first <= last) SendMessageW(list_, LVM_REDRAWITEMS, first, last);
}

// `at` is the pointer in screen coordinates, or -1 from the keyboard (the menu key, Shift+F10):
// the menu is then for the selected entry and opens under its row. None opens over the empty
// part of the list, nor while the list is locked.
void FileListView::ListView1_ContextMenu(LPARAM at) {
  if (host_.ListLocked() || !IsWindowVisible(list_)) return;
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  std::optional<size_t> entry;
  if (at == -1) {
    entry = Selected();
    if (!entry) return;
    SendMessageW(list_, LVM_ENSUREVISIBLE, *entry, FALSE);
    RECT row{LVIR_LABEL, 0, 0, 0};
    SendMessageW(list_, LVM_GETITEMRECT, *entry, reinterpret_cast<LPARAM>(&row));
    point = POINT{row.left, row.bottom};
    ClientToScreen(list_, &point);
  } else {
    POINT client = point;
    ScreenToClient(list_, &client);
    entry = HitTest(client.x, client.y);
    if (!entry) return;
    SelectOnly(entry);
  }
  const std::wstring path = Widen(files_.Text(*entry));
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : kMenu) {
    const std::optional<ListMove> move = MoveOfCommand(item.command);
    const bool acts = move ? MoveTarget(*move, *entry, files_.Count()).has_value()
                           : item.command != kOpenFolder || IsFolder(ContainingFolder(path));
    AppendMenuW(menu, MF_STRING | (acts ? MF_ENABLED : MF_GRAYED), item.command, item.text);
  }
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, list_, nullptr));
  DestroyMenu(menu);
  // The menu let messages run: the window may have closed, or a run begun.
  if (!list_ || host_.ListLocked() || Selected() != entry) return;
  if (const std::optional<ListMove> move = MoveOfCommand(chosen)) {
    MoveSelected(*move);
  } else if (chosen == kRemove) {
    RemoveSelectedKeepingPlace();
  } else if (chosen == kOpenFolder) {
    ShowInFolder(path);
  }
}

LRESULT CALLBACK FileListView::SubclassProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR refData) {
  return reinterpret_cast<FileListView*>(refData)->Message(msg, wParam, lParam);
}

// The mouse buttons are handled here rather than by the control, whose own press handling
// would start a drag-and-drop of its own and swallow the pointer moves of a drag.
LRESULT FileListView::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND list = list_;
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  if (host_.ListLocked()) {
    // While a run reads the list, its buttons select nothing and move nothing.
    switch (msg) {
      case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
        reorder_.ButtonUp();
        return 0;
      default:
        break;
    }
  }
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(list);
      const std::optional<size_t> hit = HitTest(x, y);
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
      if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) rightPressedOn_ = HitTest(x, y);
      SetCapture(list);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      // Pressed and released on one entry, moving nothing: a right-click, which opens the menu.
      const bool rightClick = msg == WM_RBUTTONUP && rightPressedOn_ && HitTest(x, y) == rightPressedOn_;
      ListView1_MouseUp();
      if (GetCapture() == list && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
      if (rightClick) {
        POINT at{x, y};
        ClientToScreen(list, &at);
        SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
      }
      return 0;
    }
    case WM_CONTEXTMENU:  // also the system's answer to Shift+F10 and the menu key
      ListView1_ContextMenu(lParam);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_DELETE) {
        if (!host_.ListLocked()) RemoveSelectedKeepingPlace();
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      // Passed on, so that the system knows Alt was not pressed on its own.
      if (const std::optional<ListMove> move = MoveOfKey(wParam, lParam); move && !host_.ListLocked()) {
        MoveSelected(*move);
      }
      break;
    case WM_GETOBJECT:
      if (answerName_) {
        AccessibleOverrides named;
        named.name = kColumnText;
        if (const LRESULT answer = AnswerAccessibleObject(list, wParam, lParam, named)) return answer;
      }
      break;
    case WM_MOUSEMOVE:
      ListView1_MouseMove(x, y);
      break;
    case WM_SETCURSOR:
      if (pointer_.OnSetCursor(list, LOWORD(lParam))) return TRUE;
      break;
    case WM_CAPTURECHANGED:
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, SubclassProc, kSubclassId);
      list_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(list, msg, wParam, lParam);
}

}  // namespace quillory
