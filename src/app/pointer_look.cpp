// The window's pointer: the default arrow over the background, the hand over the three
// action buttons, and the hourglass everywhere while long work runs.
#include "app/main_window.h"

namespace quillory {

void Form1::SetMousePointer(int shape) {
  mousePointer_ = shape;
  ShowPointerNow();
}

// Pointer-move handlers never replace the hourglass of long work.
void Form1::SetPointerUnlessBusy(int shape) {
  if (mousePointer_ == kPointerHourglass) return;
  mousePointer_ = shape;
  ShowPointerNow();
}

void Form1::Check1_MouseMove() { SetPointerUnlessBusy(kPointerCustom); }
void Form1::Check4_MouseMove() { SetPointerUnlessBusy(kPointerCustom); }
void Form1::Check2_MouseMove() { SetPointerUnlessBusy(kPointerCustom); }
void Form1::Form_MouseMove() { SetPointerUnlessBusy(kPointerDefault); }

HCURSOR Form1::EffectiveCursor(HWND over) const {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  if (mousePointer_ == kPointerHourglass) return LoadCursorW(nullptr, IDC_WAIT);
  if (over == Control(IDC_LISTVIEW1)) {
    if (listPointer_ == ListPointer::Drag) return dragPointer_ ? dragPointer_ : arrow;
    if (listPointer_ == ListPointer::Arrow) return arrow;
  }
  if (mousePointer_ == kPointerCustom && customPointer_) return customPointer_;
  return arrow;
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
