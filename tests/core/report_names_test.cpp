#include "app/report_names.h"

#include "core_test.h"

namespace quillory {
namespace {

TEST(ReportNames, SayWhenAndNeverTakeANameTakenInAnyCase) {
  const ReportTime time{2026, 12, 7, 8, 4, 5};
  EXPECT_EQ(FreeReportName(time, {}), "2026-12-07 08-04-05.csv");
  EXPECT_EQ(FreeReportName(time, {"2026-12-07 08-04-05.CSV"}), "2026-12-07 08-04-05 (2).csv");
  EXPECT_EQ(FreeReportName(time, {"2026-12-07 08-04-05.csv", "2026-12-07 08-04-05 (2).csv"}),
            "2026-12-07 08-04-05 (3).csv");
}

// Ordered by time then number, not as bare text (" (2)" sorts before ".csv", " (10)" before " (9)").
TEST(ReportNames, TheOldestReportsBeyondTheKeptGoAndNothingElse) {
  const std::vector<std::string> names = {
      "2026-12-07 08-04-05 (10).csv", "2026-12-07 08-04-05 (9).csv", "2026-12-07 08-04-05.csv",
      "2026-12-07 08-04-04 (2).csv",  "notes.csv",  "2026-12-07 08-04-0x.csv", "2026-12-07 08-04-03 (0).csv",
      "2026-12-07 08-04-03 (2).txt",  "2026-12-07 08-04-03 (2.csv", "2026-12-07 08-04-09x(2).csv",
      "2026-12-07 08-04-09 (2a).csv"};
  EXPECT_EQ(ReportsBeyond(names, 2), (std::vector<std::string>{"2026-12-07 08-04-04 (2).csv",
                                                                 "2026-12-07 08-04-05.csv"}));
  EXPECT_TRUE(ReportsBeyond(names, 4).empty());
}

}  // namespace
}  // namespace quillory
