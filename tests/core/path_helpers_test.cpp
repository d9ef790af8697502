#include "platform/path_helpers.h"

#include "core_test.h"

#include "common/file_name.h"

namespace quillory {
namespace {

TEST(GetExtension, TakesTheTextAfterTheLastDotAnywhereInThePath) {
  EXPECT_EQ(GetExtension("C:\\Docs\\report.final.docx"), "docx");
  EXPECT_EQ(GetExtension("C:\\Docs\\report"), "C:\\Docs\\report");
  EXPECT_EQ(GetExtension("C:\\My.Docs\\report"), "Docs\\report");
  EXPECT_EQ(GetExtension("C:\\Docs\\report."), "");
  EXPECT_EQ(GetExtension(""), "");
  EXPECT_EQ(GetExtension("C:\\Δοκιμή\\文件.Δoc"), "Δoc");
}

TEST(FileName, IsWhatFollowsTheLastSlashOfEitherKind) {
  EXPECT_EQ(FileName(L"C:\\Program Files\\Office/WINWORD.EXE"), L"WINWORD.EXE");
  EXPECT_EQ(FileName(L"WINWORD.EXE"), L"WINWORD.EXE");
}

TEST(CenteredPosition, SplitsTheDifferenceExactly) {
  const struct { float screenWidth, screenHeight, outerWidth, outerHeight, left, top; } cases[] = {
      {19200, 14400, 6000, 4000, 6600, 5200},
      {19201, 14400, 6000, 4001, 6600.5f, 5199.5f},  // odd differences keep their half
      {6000, 4000, 9000, 5000, -1500, -500}};        // larger than the screen
  for (const auto& c : cases) {
    const Position at = CenteredPosition(c.screenWidth, c.screenHeight, c.outerWidth, c.outerHeight);
    EXPECT_FLOAT_EQ(at.left, c.left);
    EXPECT_FLOAT_EQ(at.top, c.top);
  }
}

}  // namespace
}  // namespace quillory
