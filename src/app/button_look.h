// How the three action buttons look: a white face, the picture above the caption, raised
// when up and sunken while pressed. Painted by the window itself so the look is the same on
// every system theme.
#pragma once

#include <windows.h>

namespace quillory {

void PaintActionButton(HWND button, HDC dc, HICON icon, int iconSize);

}  // namespace quillory
