// A report read back, so that a run can go on from where an earlier one ended. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/run_report.h"

namespace quillory {

struct ReadReport {
  std::vector<ReportRow> rows;
  size_t wholeBytes = 0;  // the text up to the end of its last whole row: where new rows go
  std::string error;      // why the text is not a report; empty when it is
};

// Reads what ReportCsv writes. An empty text is an empty report (a run that ended before it
// could write its header). A last row cut short (no line end, or a quote left open) is left
// out, as a crash while it was written leaves it. Any other difference from the header, the
// five columns or the result names makes it not a report.
ReadReport ReadReportCsv(std::string_view text);

}  // namespace quillory
