#include "conversion/template_path.h"

#include "core_test.h"

namespace quillory {
namespace {

TEST(TemplatePathTest, TemplateGoesBesideTheDocumentUnderItsBaseName) {
  constexpr TemplateTarget kDot = TemplateTarget::kDot, kDotx = TemplateTarget::kDotx;
  const struct { const char* document; TemplateTarget target; const char* expected; } cases[] = {
      {"C:\\Docs\\Letter.doc", kDot, "C:\\Docs\\Letter.dot"},
      {"C:\\Docs\\Plan.final.doc", kDot, "C:\\Docs\\Plan.final.dot"},
      {"C:\\Old.doc files\\Memo.doc", kDot, "C:\\Old.doc files\\Memo.dot"},
      {"C:\\Docs\\Readme", kDot, "C:\\Docs\\Readme.dot"},
      {"C:\\Docs\\trailing.", kDot, "C:\\Docs\\trailing.dot"},
      // A "." only in a folder name: the template stays in that folder.
      {"C:\\My.Docs\\report", kDotx, "C:\\My.Docs\\report.dotx"},
      {"/home/a.b/notes", kDot, "/home/a.b/notes.dot"},
      {"C:\\Docs\\Macros.docm", TemplateTarget::kDotm, "C:\\Docs\\Macros.dotm"},
  };
  for (const auto& c : cases) EXPECT_EQ(TemplatePath(c.document, c.target), c.expected) << c.document;
  EXPECT_EQ(TemplateFileFormat(TemplateTarget::kDotm), 15);
}

}  // namespace
}  // namespace quillory
