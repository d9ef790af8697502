// For tests: the drop target registered on a list window, to call as the system's
// drag-and-drop loop would. Null when none is registered.
#pragma once

#include <windows.h>
#include <oleidl.h>

namespace quillory {
IDropTarget* FindListDropTarget(HWND list);
}  // namespace quillory
