// Window helpers that need the window system.
#pragma once

#include <windows.h>

namespace quillory {

// Where a window of this outer size (border and title bar included) sits in the middle of the
// whole primary screen, task bar area included.
POINT CenteredTopLeft(SIZE outer, unsigned dpi);

// Places the window in the middle of the screen, as above; its size is kept.
void CenterForm(HWND window);

}  // namespace quillory
