// The one-in-a-hundred chance, at start, of opening the product's home page. The clock, the
// random draw and the launcher are handed in, so both outcomes can be forced.
#pragma once

#include <functional>
#include <string>

namespace quillory {

// The product's home page. The product has no site yet: this address is under the reserved
// .example domain until it does.
inline constexpr char kHomePageAddress[] = "https://www.quillory.example/";

struct HomePageChance {
  std::function<float()> secondsSinceMidnight;  // the time of day
  std::function<float(float seed)> draw;         // seeds the generator, returns 0 <= r < 1
  std::function<void(const std::string& commandLine)> launch;  // starts it minimised, no wait
};

// The draw from the seeded generator used by the program.
float SeededDraw(float seed);

// n = int(r * 100) + 1; the page opens when n is 7. Returns whether it was launched.
bool MaybeOpenHomePage(const HomePageChance& chance);

// "explorer" and the address in double quotes.
std::string HomePageCommandLine();

}  // namespace quillory
