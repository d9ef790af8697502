// The main window's pointer shapes: the busy signal of long work and the look over the
// buttons. Every part that changes the pointer names it by these.
#pragma once

namespace quillory {

enum class PointerShape : int {
  kDefault = 0,
  kHourglass = 11,
  kCustom = 99,  // the image of "HAND-M.CUR"
};

}  // namespace quillory
