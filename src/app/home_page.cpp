#include "app/home_page.h"

#include <bit>
#include <cstdint>
#include <random>

namespace quillory {

float SeededDraw(float seed) {
  std::mt19937 generator(std::bit_cast<std::uint32_t>(seed));
  float r = std::generate_canonical<float, 24>(generator);
  return r < 1.0f ? r : 0.0f;  // generate_canonical may round up to 1 on some libraries
}

std::string HomePageCommandLine() {
  return std::string("explorer \"") + kHomePageAddress + "\"";
}

bool MaybeOpenHomePage(const HomePageChance& chance) {
  const float r = chance.draw(chance.secondsSinceMidnight());
  const int n = static_cast<int>(r * 100.0f) + 1;
  if (n != 7) return false;
  chance.launch(HomePageCommandLine());
  return true;
}

}  // namespace quillory
