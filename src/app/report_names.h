// The names of the reports the window keeps: the local time the run began, so that they sort by
// time and say when ("2026-12-07 18-42-05.csv"), with " (2)", " (3)"... when a run in the same
// second took the name already. Portable: the folder is read and written elsewhere.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillory {

// How many reports the window keeps.
inline constexpr size_t kReportsKept = 50;

struct ReportTime {
  int year, month, day, hour, minute, second;
};

// The first name for `time` that is not among `taken`.
std::string FreeReportName(const ReportTime& time, const std::vector<std::string>& taken);

// Of `names` (a folder's files), the reports beyond the newest `keep`, oldest first. Every
// other name is left out, whatever it looks like.
std::vector<std::string> ReportsBeyond(const std::vector<std::string>& names, size_t keep);

}  // namespace quillory
