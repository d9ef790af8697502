#include "conversion/template_path.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

struct PathCase {
  const char* document;
  TemplateTarget target;
  const char* expected;
};

TEST(TemplatePathTest, TemplateGoesBesideTheDocumentUnderItsBaseName) {
  const PathCase cases[] = {
      {"C:\\Docs\\Letter.doc", TemplateTarget::kDot, "C:\\Docs\\Letter.dot"},
      {"C:\\Docs\\Report.docx", TemplateTarget::kDotx, "C:\\Docs\\Report.dotx"},
      {"C:\\Docs\\Plan.final.doc", TemplateTarget::kDot, "C:\\Docs\\Plan.final.dot"},
      {"C:\\Old.doc files\\Memo.doc", TemplateTarget::kDot, "C:\\Old.doc files\\Memo.dot"},
      {"C:\\Docs\\LETTER.DOC", TemplateTarget::kDotx, "C:\\Docs\\LETTER.dotx"},
      {"C:\\Docs\\Readme", TemplateTarget::kDot, "C:\\Docs\\Readme.dot"},
      {"C:\\Docs\\Base.dot", TemplateTarget::kDot, "C:\\Docs\\Base.dot"},
      {"C:\\Docs\\trailing.", TemplateTarget::kDot, "C:\\Docs\\trailing.dot"},
      {"C:\\Docs\\R\xC3\xA9sum\xC3\xA9 \xCE\xA9mega.docx", TemplateTarget::kDotx,
       "C:\\Docs\\R\xC3\xA9sum\xC3\xA9 \xCE\xA9mega.dotx"},
      {"\\\\server\\share\\a.b\\c.doc", TemplateTarget::kDot, "\\\\server\\share\\a.b\\c.dot"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(TemplatePath(c.document, c.target), c.expected) << c.document;
  }
}

TEST(TemplatePathTest, DotOnlyInAFolderNameKeepsTheTemplateInThatFolder) {
  EXPECT_EQ(TemplatePath("C:\\My.Docs\\report", TemplateTarget::kDot), "C:\\My.Docs\\report.dot");
  EXPECT_EQ(TemplatePath("C:\\My.Docs\\report", TemplateTarget::kDotx), "C:\\My.Docs\\report.dotx");
  EXPECT_EQ(TemplatePath("/home/a.b/notes", TemplateTarget::kDot), "/home/a.b/notes.dot");
  EXPECT_EQ(TemplatePath("C:\\My.Docs\\", TemplateTarget::kDot), "C:\\My.Docs\\.dot");
}

TEST(TemplatePathTest, FormatNumberMatchesTheExtension) {
  EXPECT_EQ(TemplateExtension(TemplateTarget::kDot), ".dot");
  EXPECT_EQ(TemplateFileFormat(TemplateTarget::kDot), 1);
  EXPECT_EQ(TemplateExtension(TemplateTarget::kDotx), ".dotx");
  EXPECT_EQ(TemplateFileFormat(TemplateTarget::kDotx), 14);
  EXPECT_EQ(TargetFromOption1(true), TemplateTarget::kDot);
  EXPECT_EQ(TargetFromOption1(false), TemplateTarget::kDotx);
}

}  // namespace
}  // namespace quillory
