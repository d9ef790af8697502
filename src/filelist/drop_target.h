// Files dragged from the shell onto the list: the list is an OLE drop target for the whole
// life of the window.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <string>
#include <vector>

namespace quillory {

using AppendPaths = std::function<void(std::vector<std::string> utf8Paths)>;

// Registers the list window as a drop target; returns the target (to revoke) or null.
IUnknown* RegisterListDropTarget(HWND list, AppendPaths append);
void RevokeListDropTarget(HWND list, IUnknown* target);

}  // namespace quillory
