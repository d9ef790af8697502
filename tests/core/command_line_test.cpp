#include "app/command_line.h"

#include "adding/command_line_paths.h"
#include "app/document_share.h"

#include "core_test.h"

namespace quillory {
namespace {

// Each command line, as the fields it sets, or the start of what is wrong with it.
TEST(CommandLineTest, OptionsAndPathsAreReadOrTheProblemIsNamed) {
  using std::chrono::seconds;
  constexpr TemplateTarget kDot = TemplateTarget::kDot, kDotx = TemplateTarget::kDotx;
  const struct {
    std::vector<std::string> arguments;
    TemplateTarget target;
    std::string extension;
    bool newer, upgrade;
    std::optional<seconds> limit;
    std::string report;
    std::vector<std::string> paths;
  } read[] = {
      {{"a.doc"}, kDot, "doc", false, false, {}, "", {"a.doc"}},
      {{"-DOTX", "/Ext=.DOCX", "/newer", "/LIMIT:30", "-report:r,1.csv", "C:\\x", "d:y"}, kDotx, "DOCX", true, false,
       seconds(30), "r,1.csv", {"C:\\x", "d:y"}},
      {{"/dot", "/dot", "/ext:rtf", "--", "/dotx", "-x"}, kDot, "rtf", false, false, {}, "", {"/dotx", "-x"}},
      {{"/limit:86400", "/report=C:\\a:b.csv", "x"}, kDot, "doc", false, false, seconds(86400), "C:\\a:b.csv", {"x"}},
      {{"/Upgrade", "/dotm", "x"}, TemplateTarget::kDotm, "doc", false, true, {}, "", {"x"}},
  };
  for (const auto& c : read) {
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(std::tie(line.error, line.help, line.target, line.extension, line.newer, line.upgrade, line.limit,
                       line.reportPath, line.paths),
              std::tuple(std::string(), false, c.target, c.extension, c.newer, c.upgrade, c.limit, c.report, c.paths))
        << c.arguments.front();
  }
  const struct { std::vector<std::string> arguments; std::string error; } wrong[] = {  // how each error begins
      {{"/dot", "/dotm", "x"}, "Choose one of /dot, /dotx and /dotm."},
      {{"/upgrade", "x"}, "The option /upgrade needs /dotx or /dotm"},
      {{"/fast", "x"}, "Unknown option /fast."},
      {{"/limit:0", "x"}, "The option /limit:0 needs a whole number of seconds from 1 to 86400."},
      {{"/limit:86401", "x"}, "The option /limit:86401 needs"},
      {{"/limit:5s", "x"}, "The option /limit:5s needs"},
      {{"/limit=-5", "x"}, "The option /limit=-5 needs"},
      {{"/report", "x"}, "The option /report needs a value, as in /report:report.csv."},
      {{"/ext:", "x"}, "The option /ext: needs a value"},
      {{"/ext:.", "x"}, "The option /ext:. names no extension."},
      {{"/newer:yes", "x"}, "The option /newer takes no value."},
      {{"/dotx"}, "No document, folder or pattern was given."},
      {{"", "x"}, "An empty path was given."},
      {{"/shard:0/3", "x"}, "The option /shard:0/3 needs K/N, two whole numbers with N at least 1 and K from 1 to N"},
      {{"/shard:4/3", "x"}, "The option /shard:4/3 needs K/N"},
      {{"/shard:a/b", "x"}, "The option /shard:a/b needs K/N"},
      {{"/shard:1/0", "x"}, "The option /shard:1/0 needs K/N"},
      {{"/shard:1", "x"}, "The option /shard:1 needs K/N"},
      {{"/out", "x"}, "The option /out needs a value, as in /out:D:\\Templates."},
      {{"/resume", "x"}, "The option /resume needs /report:FILE"},
  };
  for (const auto& c : wrong) {
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(line.error.substr(0, c.error.size()), c.error) << c.arguments.front();
    EXPECT_TRUE(line.error.ends_with(" Type Quillory.com /? for the usage.")) << line.error;
    EXPECT_FALSE(line.help);
  }
  const CommandLine migration = ParseCommandLine({"/List", "/resume", "/report:r.csv", "/out=T", "/shard:2/3", "x"});
  EXPECT_EQ(std::tie(migration.error, migration.list, migration.resume, migration.outFolder, migration.share,
                     migration.shares),
            std::tuple(std::string(), true, true, std::string("T"), 2u, 3u));
  // "/?" wins over anything wrong beside it, but not as a path after "--".
  EXPECT_TRUE(ParseCommandLine({"/fast", "-?"}).help);
  EXPECT_TRUE(ParseCommandLine({"/?"}).help);
  EXPECT_FALSE(ParseCommandLine({"--", "/?"}).help);
}

// Where a document stands below its argument gives its template's place under /out and its share.
TEST(CommandLineTest, DocumentsKeepTheirPlaceBelowTheirArgumentAndTheirShareForGood) {
  EXPECT_EQ(RelativeName("C:\\Lib\\a\\b.doc", "C:\\Lib", true), "a\\b.doc");
  EXPECT_EQ(RelativeName("C:\\a\\b.doc", "C:\\", true), "a\\b.doc");
  EXPECT_EQ(RelativeName("C:\\Lib\\a\\b.doc", "C:\\Lib\\a\\*.doc", false), "b.doc");
  EXPECT_EQ(RelativeName("\\\\srv\\s\\b.doc", "\\\\srv\\s\\b.doc", false), "b.doc");
  // Fixed for good: machines running different builds must agree on every document's share.
  EXPECT_EQ(ShareOf("A\\B.DOC", 1000), ShareOf("A/B.DOC", 1000));
  EXPECT_EQ(ShareOf("A\\B.DOC", 1000), 607u);
  std::vector<size_t> counts(4);
  for (int i = 0; i < 3000; ++i) ++counts[ShareOf("F" + std::to_string(i % 30) + "\\D" + std::to_string(i) + ".DOC", 3)];
  EXPECT_EQ(counts[0], 0u);
  for (size_t share = 1; share <= 3; ++share) EXPECT_NEAR(static_cast<double>(counts[share]), 1000, 100) << share;
}

TEST(CommandLineTest, ExitCodeSaysTheWorstOfTheRun) {
  auto report = [](std::vector<DocumentResult> results, RunEnd end = RunEnd::kFinished) {
    RunReport made;
    for (DocumentResult result : results) made.rows.push_back({"d", "t", result, "", 0});
    made.end = end;
    return made;
  };
  using R = DocumentResult;
  EXPECT_EQ(RunExitCode(report({R::kConverted, R::kSkipped}), true), 0);
  EXPECT_EQ(RunExitCode(report({R::kConverted, R::kFailed, R::kSkipped}), true), 1);
  EXPECT_EQ(RunExitCode(report({R::kFailed}), false), 2);
  EXPECT_EQ(RunExitCode(report({R::kConverted}), false), 2);
  EXPECT_EQ(RunExitCode(report({R::kFailed, R::kNotTried}, RunEnd::kNotInstalled), false), 3);
  EXPECT_EQ(RunExitCode(report({R::kFailed, R::kNotTried}, RunEnd::kStopped), false), 4);
  EXPECT_EQ(RunExitCode(report({R::kNotTried}, RunEnd::kClosed), true), 4);
}

TEST(CommandLineTest, DocumentLineGivesPlaceResultAndReason) {
  EXPECT_EQ(DocumentLine(2, 120, {"C:\\R\u00e9sum\u00e9.doc", "", DocumentResult::kFailed, "Gone.", 0}),
            "3/120 failed C:\\R\u00e9sum\u00e9.doc: Gone.");
  EXPECT_EQ(DocumentLine(0, 1, {"C:\\a.doc", "", DocumentResult::kConverted, "", 1.5}), "1/1 converted C:\\a.doc");
}

}  // namespace
}  // namespace quillory
