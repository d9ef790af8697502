// Where the window keeps the report of each run: %LOCALAPPDATA%\Quillory\Reports, the newest
// kReportsKept of them.
#pragma once

#include <string>
#include <string_view>

#include "conversion/conversion_run.h"

namespace quillory {

// The folder of the reports: under the LOCALAPPDATA environment variable when it is set, else
// under the user's known local application data folder. Empty, with `error` set, when neither
// can be found.
std::wstring ReportsFolder(std::string* error);

// Writes `csv` as a new report named after the local time, making the folders it needs, then
// removes the oldest reports beyond kReportsKept (only files named as reports). The report's
// path, or the folder or file that failed with the system's reason.
KeptReport KeepReportFile(std::string_view csv);

}  // namespace quillory
