#include "platform/dpi.h"

namespace quillory {

unsigned WindowDpi(HWND window) {
  const UINT dpi = GetDpiForWindow(window);
  return dpi ? dpi : kDefaultDpi;
}

int ScaleForDpi(int pixelsAt96, unsigned dpi) {
  return MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

}  // namespace quillory
