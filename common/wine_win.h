// Whether the process runs under Wine, which exports its version from ntdll.
#pragma once

#include <windows.h>

namespace quillory {

inline bool RunningUnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

}  // namespace quillory
