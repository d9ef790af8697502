#include "app/home_page.h"

#include "core_test.h"

namespace quillory {
namespace {

TEST(HomePage, OpensWhenTheDrawSeededWithTheTimeOfDayIsInItsOneHundredth) {
  const struct { float draw; bool opens; } cases[] = {
      {0.06f, true}, {0.0699f, true}, {0.05999f, false}, {0.07f, false}, {0.0f, false}, {0.99999f, false}};
  for (const auto& [draw, opens] : cases) {
    float seed = -1;
    std::vector<std::string> launched;
    const HomePageChance chance{[] { return 43200.5f; }, [&seed, draw](float s) { return seed = s, draw; },
                                [&](const std::string& line) { launched.push_back(line); }};
    EXPECT_EQ(MaybeOpenHomePage(chance), opens) << draw;
    EXPECT_EQ(launched, std::vector<std::string>(opens, "explorer \"https://www.quillory.example/\""));
    EXPECT_FLOAT_EQ(seed, 43200.5f);
  }
}

TEST(HomePage, TheDrawIsSeededByTheSecond) {
  EXPECT_EQ(SeededDraw(1234.5f), SeededDraw(1234.5f));
  EXPECT_NE(SeededDraw(1234.5f), SeededDraw(1235.5f));
}

}  // namespace
}  // namespace quillory
