// The last component of a path, after its last '\' or '/'. Portable.
#pragma once

#include <string>

namespace quillory {

inline std::wstring FileName(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace quillory
