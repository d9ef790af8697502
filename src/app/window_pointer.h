// The window's pointer, one object: the default arrow over the background, the custom hand over
// the three action buttons, the list's own pointer while an entry is dragged, and the hourglass
// everywhere while long work runs. Pointer moves never replace the hourglass.
#pragma once

#include <windows.h>

#include "common/scoped_handles_win.h"
#include "filelist/list_view_win.h"
#include "platform/pointer_shape.h"

namespace quillory {

class WindowPointer final : public ListPointer {
 public:
  void Attach(HWND window, HWND list);
  // The window's custom image ("HAND-M.CUR"), shown over the buttons; none shows the arrow.
  void SetCustomImage(HCURSOR image) { customImage_.Reset(image); }

  // The window's pointer value: the hourglass during long work, else the shape last hovered.
  PointerShape Shape() const { return longWork_ ? PointerShape::kHourglass : hover_; }
  void LongWork(bool running);
  // A pointer move over the buttons (kCustom) or the background (kDefault).
  void Hover(PointerShape shape);

  // The system asks for the pointer over `over`, the window or one of its controls; true when
  // it was set.
  bool OnSetCursor(HWND over, int hitTest) override;
  void ListDrag(ListDragState state, HCURSOR image) override;
  void MovedOverList() override { Hover(PointerShape::kDefault); }

 private:
  HCURSOR Effective(HWND over) const;
  void ShowNow() const;  // a change shows at once, not only at the next pointer move

  HWND window_ = nullptr;
  HWND list_ = nullptr;
  ScopedCursor customImage_;
  PointerShape hover_ = PointerShape::kDefault;
  bool longWork_ = false;
  ListDragState listDrag_ = ListDragState::kNone;
  HCURSOR dragImage_ = nullptr;  // the list's, while it lasts
};

}  // namespace quillory
