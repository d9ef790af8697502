// Dots per inch of the monitor a window is on.
#pragma once

#include <windows.h>

namespace quillory {

inline constexpr unsigned kDefaultDpi = 96;

// The window's DPI; 96 when the system cannot tell.
unsigned WindowDpi(HWND window);

// A length designed in pixels at 96 DPI, at this DPI.
int ScaleForDpi(int pixelsAt96, unsigned dpi);

}  // namespace quillory
