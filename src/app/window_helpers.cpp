#include "app/window_helpers.h"

#include "app/twips.h"
#include "platform/dpi.h"
#include "platform/path_helpers.h"

namespace quillory {

POINT CenteredTopLeft(SIZE outer, unsigned dpi) {
  // Worked in twips as the window is designed; the half twip of an odd difference is kept
  // until the final conversion to pixels.
  const Position position = CenteredPosition(static_cast<float>(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi)),
                                             static_cast<float>(PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi)),
                                             static_cast<float>(PixelsToTwips(outer.cx, dpi)),
                                             static_cast<float>(PixelsToTwips(outer.cy, dpi)));
  return POINT{TwipsToPixels(position.left, dpi), TwipsToPixels(position.top, dpi)};
}

void CenterForm(HWND window) {
  RECT outer;
  if (!GetWindowRect(window, &outer)) return;
  const POINT at = CenteredTopLeft(SIZE{outer.right - outer.left, outer.bottom - outer.top}, WindowDpi(window));
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quillory
