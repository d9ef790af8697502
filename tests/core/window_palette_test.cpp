#include "app/window_palette.h"

#include "core_test.h"

namespace quillory {
namespace {

// White behind the system's text as designed, whatever the system's window colour; under high
// contrast the system's own pair (white text on black here).
TEST(WindowPalette, WhiteAsDesignedTheSystemsColoursUnderHighContrast) {
  const Palette system{0x00000000, 0x00FFFFFF};
  const Palette normal = ChoosePalette(false, {0x00F0F0F0, 0x00000000}), contrast = ChoosePalette(true, system);
  EXPECT_EQ(std::pair(normal.background, normal.text), std::pair(kWhite, 0x00000000u));
  EXPECT_EQ(std::pair(contrast.background, contrast.text), std::pair(system.background, system.text));
}

}  // namespace
}  // namespace quillory
