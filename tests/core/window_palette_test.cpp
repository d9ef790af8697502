#include "app/window_palette.h"

#include "core_test.h"

namespace quillory {
namespace {

// White behind the system's text as designed; under high contrast the system's own pair.
TEST(WindowPalette, WhiteAsDesignedTheSystemsColoursUnderHighContrast) {
  const Palette normal = ChoosePalette(false, {0x00F0F0F0, 0x00000000}), contrast = ChoosePalette(true, {0, kWhite});
  EXPECT_EQ(std::tuple(normal.background, normal.text, contrast.background, contrast.text), std::tuple(kWhite, 0u, 0u, kWhite));
}

}  // namespace
}  // namespace quillory
