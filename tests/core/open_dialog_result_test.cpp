#include "adding/open_dialog_result.h"

#include <gtest/gtest.h>

using namespace std::string_literals;
using quillory::ChosenPaths;
using Paths = std::vector<std::string>;

TEST(OpenDialogResult, NothingChosenAddsNothing) {
  EXPECT_TRUE(ChosenPaths("").empty());
  EXPECT_TRUE(ChosenPaths("\0\0"s).empty());
}

TEST(OpenDialogResult, OneFileIsListedExactlyAsReturned) {
  EXPECT_EQ(ChosenPaths("C:\\Docs\\a.doc"), Paths{"C:\\Docs\\a.doc"});
  EXPECT_EQ(ChosenPaths("C:\\Docs\\a.doc\0\0"s), Paths{"C:\\Docs\\a.doc"});
  // A single path is never altered, doubled backslashes and network form included.
  EXPECT_EQ(ChosenPaths("\\\\server\\share\\\\x.doc\0"s), Paths{"\\\\server\\share\\\\x.doc"});
}

TEST(OpenDialogResult, SeveralFilesAreJoinedToTheirFolderInOrder) {
  EXPECT_EQ(ChosenPaths("C:\\Docs\0c.doc\0a.doc\0b.docx\0\0"s),
            (Paths{"C:\\Docs\\c.doc", "C:\\Docs\\a.doc", "C:\\Docs\\b.docx"}));
  // The same name twice is listed twice.
  EXPECT_EQ(ChosenPaths("C:\\D\0a.doc\0a.doc\0\0"s), (Paths{"C:\\D\\a.doc", "C:\\D\\a.doc"}));
  // Names outside any code page pass through as UTF-8.
  EXPECT_EQ(ChosenPaths("C:\\Δ\0ž.doc\0日本.doc\0\0"s), (Paths{"C:\\Δ\\ž.doc", "C:\\Δ\\日本.doc"}));
}

TEST(OpenDialogResult, DriveRootJoinHasOneBackslash) {
  EXPECT_EQ(ChosenPaths("C:\\\0a.doc\0b.doc\0\0"s), (Paths{"C:\\a.doc", "C:\\b.doc"}));
}

TEST(OpenDialogResult, NetworkFolderKeepsItsLeadingPair) {
  EXPECT_EQ(ChosenPaths("\\\\server\\share\\Docs\0a.doc\0b.doc\0\0"s),
            (Paths{"\\\\server\\share\\Docs\\a.doc", "\\\\server\\share\\Docs\\b.doc"}));
  // The root of a share comes back with its closing backslash: only the join is reduced.
  EXPECT_EQ(ChosenPaths("\\\\server\\share\\\0a.doc\0\0"s), Paths{"\\\\server\\share\\a.doc"});
}
