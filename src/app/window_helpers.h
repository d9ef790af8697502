// Window helpers that need the window system.
#pragma once

#include <windows.h>

namespace quillory {

// Places the window (outer size: border and title bar included) in the middle of the whole
// primary screen, task bar area included. Its size is kept.
void CenterForm(HWND window);

}  // namespace quillory
