#include "app/window_centring.h"

#include "platform/dpi.h"
#include "platform/twips.h"

namespace quillory {

POINT CenteredTopLeft(SIZE outer, unsigned dpi) {
  // Worked in twips as the window is designed; the half twip of an odd difference is kept
  // until the final conversion to pixels.
  const double left = (PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi) - PixelsToTwips(outer.cx, dpi)) / 2;
  const double top = (PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi) - PixelsToTwips(outer.cy, dpi)) / 2;
  return POINT{TwipsToPixels(left, dpi), TwipsToPixels(top, dpi)};
}

void CenterForm(HWND window) {
  RECT outer;
  if (!GetWindowRect(window, &outer)) return;
  const POINT at = CenteredTopLeft(SIZE{outer.right - outer.left, outer.bottom - outer.top}, WindowDpi(window));
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quillory
