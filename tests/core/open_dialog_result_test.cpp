#include "adding/open_dialog_result.h"

#include "core_test.h"

using namespace std::string_literals;
using Paths = std::vector<std::string>;

TEST(OpenDialogResult, OnePathAsReturnedSeveralJoinedToTheirFolderInOrder) {
  const struct { std::string answer; Paths paths; } cases[] = {
      {"\0\0"s, {}},
      {"C:\\Docs\\a.doc\0\0"s, {"C:\\Docs\\a.doc"}},
      {"\\\\server\\share\\\\x.doc"s, {"\\\\server\\share\\\\x.doc"}},  // one path is never altered
      {"C:\\Docs\0c.doc\0a.doc\0a.doc\0\0"s, {"C:\\Docs\\c.doc", "C:\\Docs\\a.doc", "C:\\Docs\\a.doc"}},
      {"C:\\\0a.doc\0b.doc\0\0"s, {"C:\\a.doc", "C:\\b.doc"}},  // a drive root: one backslash
      {"C:\\Docs\0a.doc\0\0b.doc\0\0"s, {"C:\\Docs\\a.doc", "C:\\Docs\\b.doc"}},  // no name, no path
  };
  for (const auto& [answer, paths] : cases)
    EXPECT_EQ(quillory::ChosenPaths(answer), paths) << testing::PrintToString(answer);
}
