// Where the window sits on the screen: in the middle, as designed.
#pragma once

#include <windows.h>

namespace quillory {

// Where a window of this outer size (border and title bar included) sits in the middle of the
// whole primary screen, task bar area included.
POINT CenteredTopLeft(SIZE outer, unsigned dpi);

// Places the window in the middle of the screen, as above; its size is kept.
void CenterForm(HWND window);

}  // namespace quillory
