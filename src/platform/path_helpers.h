// Small path and placement helpers: portable, no window system.
#pragma once

#include <string>
#include <string_view>

namespace quillory {

// The text after the last "." anywhere in the path (folder names included); the whole path
// when it holds no "."; empty when it ends with "." or is empty.
std::string GetExtension(std::string_view path);

struct Position {
  float left;
  float top;
};

// Where a window of the given outer size goes to sit in the middle of the screen, in the
// same units as the sizes (twips). Exact halves, negative when the window is the larger.
Position CenteredPosition(float screenWidth, float screenHeight, float outerWidth, float outerHeight);

}  // namespace quillory
