#include "app/window_palette.h"

namespace quillory {

Palette ChoosePalette(bool highContrast, Palette system) {
  if (highContrast) return system;
  return Palette{kWhite, system.text};
}

}  // namespace quillory
