// Files dragged from the shell onto the list: the list is an OLE drop target for the whole
// life of the window.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include <functional>
#include <string>
#include <vector>

namespace quillory {

using AppendPaths = std::function<void(std::vector<std::string> utf8Paths)>;

// Registers the list window as a drop target; returns the target (to revoke) or null. While
// `accepting` says no, drops are refused with the no-drop pointer.
IDropTarget* RegisterListDropTarget(HWND list, AppendPaths append, std::function<bool()> accepting);
void RevokeListDropTarget(HWND list, IDropTarget* target);

// The drop target registered on a list window, to call as the system's drag-and-drop loop
// would (tests, benchmarks). Null when none is registered.
IDropTarget* FindListDropTarget(HWND list);

}  // namespace quillory
