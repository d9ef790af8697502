// A window's text, whatever its length.
#pragma once

#include <windows.h>

#include <string>

namespace quillory {

std::wstring WindowText(HWND window);

}  // namespace quillory
