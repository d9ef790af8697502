// The window's pointer: the default arrow over the background, the hand over the three
// action buttons, the list's own pointer while an entry is dragged, and the hourglass
// everywhere while long work runs.
#include "app/main_window.h"

namespace quillory {

void Form1::SetMousePointer(PointerShape shape) {
  mousePointer_ = shape;
  ShowPointerNow();
}

// Pointer-move handlers never replace the hourglass of long work.
void Form1::SetPointerUnlessBusy(PointerShape shape) {
  if (mousePointer_ == PointerShape::kHourglass) return;
  SetMousePointer(shape);
}

void Form1::ActionButton_MouseMove() { SetPointerUnlessBusy(PointerShape::kCustom); }
void Form1::Form_MouseMove() { SetPointerUnlessBusy(PointerShape::kDefault); }

HCURSOR Form1::EffectiveCursor(HWND over) const {
  if (mousePointer_ == PointerShape::kHourglass) return LoadCursorW(nullptr, IDC_WAIT);
  if (over == list_.Hwnd()) {
    if (HCURSOR listPointer = list_.Pointer()) return listPointer;
  }
  if (mousePointer_ == PointerShape::kCustom && customPointer_) return customPointer_.Get();
  return LoadCursorW(nullptr, IDC_ARROW);
}

bool Form1::OnSetCursor(HWND over, int hitTest) {
  if (hitTest != HTCLIENT) return false;  // borders and caption keep their own pointers
  if (over != hwnd_ && GetParent(over) != hwnd_) return false;  // e.g. the list's column header
  SetCursor(EffectiveCursor(over));
  return true;
}

// A change of shape shows at once, not only at the next pointer move.
void Form1::ShowPointerNow() {
  if (!hwnd_) return;
  POINT point;
  if (!GetCursorPos(&point)) return;
  HWND over = WindowFromPoint(point);
  if (over != hwnd_ && GetParent(over) != hwnd_) return;
  HWND capture = GetCapture();
  if (capture && capture != over) over = capture;
  SetCursor(EffectiveCursor(over));
}

}  // namespace quillory
