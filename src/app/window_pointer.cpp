#include "app/window_pointer.h"

namespace quillory {

void WindowPointer::Attach(HWND window, HWND list) {
  window_ = window;
  list_ = list;
}

void WindowPointer::LongWork(bool running) {
  longWork_ = running;
  hover_ = PointerShape::kDefault;  // what was hovered before is not what is under the pointer after
  ShowNow();
}

void WindowPointer::Hover(PointerShape shape) {
  if (longWork_ || shape == hover_) return;
  hover_ = shape;
  ShowNow();
}

void WindowPointer::ListDrag(ListDragState state, HCURSOR image) {
  listDrag_ = state;
  dragImage_ = image;
  ShowNow();
}

HCURSOR WindowPointer::Effective(HWND over) const {
  if (longWork_) return LoadCursorW(nullptr, IDC_WAIT);
  if (over == list_ && listDrag_ == ListDragState::kDragging && dragImage_) return dragImage_;
  if (over == list_ && listDrag_ != ListDragState::kNone) return LoadCursorW(nullptr, IDC_ARROW);
  if (hover_ == PointerShape::kCustom && customImage_) return customImage_.Get();
  return LoadCursorW(nullptr, IDC_ARROW);
}

bool WindowPointer::OnSetCursor(HWND over, int hitTest) {
  if (hitTest != HTCLIENT) return false;  // borders and caption keep their own pointers
  if (over != window_ && GetParent(over) != window_) return false;  // e.g. the list's column header
  SetCursor(Effective(over));
  return true;
}

void WindowPointer::ShowNow() const {
  if (!window_) return;
  POINT point;
  if (!GetCursorPos(&point)) return;
  HWND over = WindowFromPoint(point);
  if (over != window_ && GetParent(over) != window_) return;
  HWND capture = GetCapture();
  if (capture && capture != over) over = capture;
  SetCursor(Effective(over));
}

}  // namespace quillory
