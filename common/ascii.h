// ASCII case for names that formats define as case-insensitive in ASCII only (XML targets,
// package extensions). Portable.
#pragma once

#include <string>
#include <string_view>

namespace quillory {

inline std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
  return lower;
}

}  // namespace quillory
