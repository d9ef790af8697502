#include "app/window_helpers.h"

#include <cmath>

#include "platform/path_helpers.h"
#include "app/twips.h"
#include "platform/dpi.h"

namespace quillory {

void CenterForm(HWND window) {
  RECT outer;
  if (!GetWindowRect(window, &outer)) return;
  const unsigned dpi = WindowDpi(window);
  // Worked in twips as the window is designed; the half twip of an odd difference is kept
  // until the final conversion to pixels.
  const Position position = CenteredPosition(
      static_cast<float>(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi)),
      static_cast<float>(PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi)),
      static_cast<float>(PixelsToTwips(outer.right - outer.left, dpi)),
      static_cast<float>(PixelsToTwips(outer.bottom - outer.top, dpi)));
  SetWindowPos(window, nullptr, TwipsToPixels(position.left, dpi), TwipsToPixels(position.top, dpi),
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quillory
