// Where the window keeps the report of each run: %LOCALAPPDATA%\Quillory\Reports, the newest
// kReportsKept of them.
#pragma once

#include <string>

#include <memory>

#include "conversion/conversion_run.h"
#include "platform/appending_file.h"

namespace quillory {

// The folder of the reports: under the LOCALAPPDATA environment variable when it is set, else
// under the user's known local application data folder. Empty, with `error` set, when neither
// can be found.
std::wstring ReportsFolder(std::string* error);

// A report begun when its run begins, to be written row by row.
struct StartedReport {
  std::unique_ptr<AppendingFile> file;  // null when it could not be made
  KeptReport kept;                      // its path, or the folder or file that failed with the system's reason
};

// Makes a new, empty report named after the local time, making the folders it needs, then
// removes the oldest reports beyond kReportsKept (only files named as reports).
StartedReport StartReportFile();

}  // namespace quillory
