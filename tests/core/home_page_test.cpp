#include "app/home_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillory {
namespace {

TEST(HomePage, OpensOnlyWhenTheDrawGivesSeven) {
  float seed = -1;
  std::vector<std::string> launched;
  const auto drawing = [&](float r) {
    return HomePageChance{[] { return 43200.5f; }, [&seed, r](float s) { return seed = s, r; },
                          [&](const std::string& line) { launched.push_back(line); }};
  };
  EXPECT_TRUE(MaybeOpenHomePage(drawing(0.06f)));  // int(6) + 1 = 7
  EXPECT_TRUE(MaybeOpenHomePage(drawing(0.0699f)));
  EXPECT_FALSE(MaybeOpenHomePage(drawing(0.05999f)));  // 6
  EXPECT_FALSE(MaybeOpenHomePage(drawing(0.07f)));     // 8
  EXPECT_FALSE(MaybeOpenHomePage(drawing(0.0f)));
  EXPECT_FALSE(MaybeOpenHomePage(drawing(0.99999f)));
  EXPECT_EQ(launched, std::vector<std::string>(2, "explorer \"https://www.quillory.example/\""));
  EXPECT_FLOAT_EQ(seed, 43200.5f);  // seeded with the time of day
}

TEST(HomePage, SeededDrawIsRepeatableAndAboutOneInAHundred) {
  EXPECT_EQ(SeededDraw(1234.5f), SeededDraw(1234.5f));
  int hits = 0;
  for (int second = 0; second < 86400; second += 9) {  // every ninth second of a day: 9,600 seeds
    const float r = SeededDraw(static_cast<float>(second));
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    if (static_cast<int>(r * 100.0f) + 1 == 7) ++hits;
  }
  EXPECT_GT(hits, 96 / 2);
  EXPECT_LT(hits, 96 * 2);
}

}  // namespace
}  // namespace quillory
