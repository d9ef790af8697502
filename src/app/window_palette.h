// The window's colours: white behind everything, as designed, unless the system's high-contrast
// mode is on; then the system's own colours, so that every text stays readable. Portable: the
// window reads the mode and the system's colours and paints with the choice.
#pragma once

#include <cstdint>

namespace quillory {

// Colour values as the system holds them (0x00BBGGRR).
struct Palette {
  uint32_t background = 0;  // the window, the buttons' faces, the options, the progress bar
  uint32_t text = 0;        // the buttons' and the options' captions
};

inline constexpr uint32_t kWhite = 0x00FFFFFF;

// `system`: the system's window and window-text colours.
Palette ChoosePalette(bool highContrast, Palette system);

}  // namespace quillory
