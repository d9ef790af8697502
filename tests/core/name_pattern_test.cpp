#include "adding/name_pattern.h"

#include "core_test.h"

namespace {

// Upper case as a file system has it: ASCII, and the one accented pair these cases use.
char32_t Upcase(char32_t c) { return c >= U'a' && c <= U'z' ? c - 32 : c == U'ó' ? U'Ó' : c; }

// The names of `names` the search for `pattern` finds.
std::vector<std::string> Found(const std::string& pattern, const std::vector<std::string>& names) {
  const quillory::NamePattern search(pattern, Upcase);
  std::vector<std::string> found;
  for (const std::string& name : names) {
    if (search.Finds(name)) found.push_back(name);
  }
  return found;
}
using Names = std::vector<std::string>;

TEST(NamePattern, AnExtensionFindsItsNamesWithoutCaseAndThroughShortNames) {
  EXPECT_EQ(Found("*.doc", {"a.doc", "B.DOC", "two..doc", "x.txt.doc", "..doc", "a.docx", "a.doc.txt", "doc", "adoc"}),
            (Names{"a.doc", "B.DOC", "two..doc", "x.txt.doc", "..doc"}));
  EXPECT_EQ(Found("*.DÓC", {"Résumé.dóc", "Résumé.doc"}), Names{"Résumé.dóc"});
  // A long name that does not match is found by its short name, as the file system keeps it.
  const quillory::NamePattern doc("*.doc", Upcase);
  EXPECT_TRUE(doc.Finds("report.docx", "REPORT~1.DOC"));
  EXPECT_FALSE(doc.Finds("report.docx"));
  EXPECT_FALSE(doc.Finds("notes.txt", "NOTES~1.TXT"));
}

TEST(NamePattern, TheSearchReadsThePatternAsAPathsLastPartInDosWildcards) {
  const Names names{"a.doc", "a.do", "a.d", "a.docx", "ab", "a.b", "a.bc", "x.y.z", "e.\U0001F600"};
  EXPECT_EQ(Found("*.*", names), names);            // every name, with or without a dot
  EXPECT_EQ(Found("*.doc. .", names), Names{"a.doc"});  // trailing dots and spaces go
  EXPECT_EQ(Found("*.", names), Names{"ab"});       // a final dot cut off: names without one
  EXPECT_EQ(Found("*.do?", names), (Names{"a.doc", "a.do"}));  // ? may take nothing at the end
  EXPECT_EQ(Found("a?.doc", {"a.doc", "ab.doc", "a..doc"}), (Names{"a.doc", "ab.doc"}));  // and before a dot
  EXPECT_EQ(Found("*.?", names), (Names{"a.d", "ab", "a.b", "x.y.z", "e.\U0001F600"}));  // * never takes the last dot
  EXPECT_EQ(Found("*.d*", names), (Names{"a.doc", "a.do", "a.d", "a.docx"}));
  EXPECT_EQ(Found("*.y.*", {"x.y.z", "x.y", "x.yz"}), (Names{"x.y.z", "x.y"}));  // ".*" may take nothing at the end
  EXPECT_EQ(Found(". ", names), Names{});           // nothing left: the search fails
  EXPECT_EQ(Found("*.\xff", names), Names{});       // broken UTF-8 reads as U+FFFD
}

}  // namespace
