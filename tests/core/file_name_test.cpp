#include "common/file_name.h"

#include "core_test.h"

namespace quillory {
namespace {

TEST(FileName, IsWhatFollowsTheLastSlashOfEitherKind) {
  EXPECT_EQ(FileName(L"C:\\Program Files\\Office/WINWORD.EXE"), L"WINWORD.EXE");
  EXPECT_EQ(FileName(L"WINWORD.EXE"), L"WINWORD.EXE");
}

}  // namespace
}  // namespace quillory
