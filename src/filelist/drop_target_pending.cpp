// Placeholder until dropping lands.
#include "filelist/drop_target.h"

namespace quillory {
IUnknown* RegisterListDropTarget(HWND, AppendPaths) { return nullptr; }
void RevokeListDropTarget(HWND, IUnknown*) {}
}  // namespace quillory
