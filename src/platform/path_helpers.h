// Path helpers: portable, no window system.
#pragma once

#include <string>
#include <string_view>

namespace quillory {

// The text after the last "." anywhere in the path (folder names included); the whole path
// when it holds no "."; empty when it ends with "." or is empty.
std::string GetExtension(std::string_view path);

}  // namespace quillory
