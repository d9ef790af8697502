#include "platform/path_helpers.h"

#include <gtest/gtest.h>

#include "app/twips.h"

namespace quillory {
namespace {

TEST(GetExtension, TakesTheTextAfterTheLastDotAnywhereInThePath) {
  EXPECT_EQ(GetExtension("C:\\Docs\\report.doc"), "doc");
  EXPECT_EQ(GetExtension("C:\\Docs\\report.final.docx"), "docx");
  EXPECT_EQ(GetExtension("C:\\Docs\\REPORT.DOC"), "DOC");
  EXPECT_EQ(GetExtension("C:\\Docs\\report"), "C:\\Docs\\report");
  EXPECT_EQ(GetExtension("C:\\My.Docs\\report"), "Docs\\report");
  EXPECT_EQ(GetExtension("C:\\Docs\\report."), "");
  EXPECT_EQ(GetExtension(""), "");
}

TEST(GetExtension, KeepsMultibyteLettersWhole) {
  EXPECT_EQ(GetExtension("C:\\Δοκιμή\\文件.Δoc"), "Δoc");
  EXPECT_EQ(GetExtension(std::string(40000, 'a') + ".doc"), "doc");  // no 16-bit limit
}

TEST(CenteredPosition, SplitsTheDifferenceExactly) {
  const Position middle = CenteredPosition(19200, 14400, 6000, 4000);
  EXPECT_FLOAT_EQ(middle.left, 6600);
  EXPECT_FLOAT_EQ(middle.top, 5200);

  const Position odd = CenteredPosition(19201, 14400, 6000, 4001);
  EXPECT_FLOAT_EQ(odd.left, 6600.5f);
  EXPECT_FLOAT_EQ(odd.top, 5199.5f);

  const Position larger = CenteredPosition(6000, 4000, 9000, 5000);
  EXPECT_FLOAT_EQ(larger.left, -1500);
  EXPECT_FLOAT_EQ(larger.top, -500);
}

TEST(Twips, FifteenMakeAPixelAt96AndTenAt144) {
  EXPECT_EQ(TwipsToPixels(7695, 96), 513);
  EXPECT_EQ(TwipsToPixels(4710, 96), 314);
  EXPECT_EQ(TwipsToPixels(-720, 96), -48);
  EXPECT_EQ(TwipsToPixels(2415, 144), 242);  // 241.5 rounds away from zero
  EXPECT_EQ(TwipsToPixels(120, 144), 12);
  EXPECT_DOUBLE_EQ(PixelsToTwips(513, 96), 7695);
  EXPECT_EQ(FontHeightForPoints(11.25, 96), -15);
  EXPECT_EQ(FontHeightForPoints(9, 96), -12);
  EXPECT_EQ(FontHeightForPoints(9, 144), -18);
}

}  // namespace
}  // namespace quillory
