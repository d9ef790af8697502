// How the three action buttons look and feel: two-state check boxes drawn as push buttons,
// a white face with the picture above the caption, raised when up and sunken while pressed.
// Painted by the window itself so the look is the same on every system theme. To assistive
// technology they are what they look like: push buttons, named by their captions, never
// checked, pressed by their default action.
#pragma once

#include <windows.h>

#include <functional>

#include "common/scoped_handles_win.h"

namespace quillory {

struct ActionButtonFace {
  ScopedIcon icon;  // at the window's DPI
  int iconSize = 32;
  COLORREF faceColour = RGB(255, 255, 255);  // the window's palette
  COLORREF textColour = RGB(0, 0, 0);
  std::function<void()> onMouseMove;
};

// Takes over the button's painting and pointer moves; `face` must outlive the button.
void AttachActionButton(HWND button, ActionButtonFace* face);

}  // namespace quillory
