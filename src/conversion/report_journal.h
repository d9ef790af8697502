// A report written as the run goes: its header when it begins, then each row as its document
// ends, each handed to the file (which writes it through to the disk) before the next
// document begins, so that a run ended at any moment leaves every ended document's row.
// A report that cannot be written part way is given up at its first failure, and the run goes
// on; the failure is kept for the closing message. Portable: the file is a function.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "conversion/run_report.h"

namespace quillory {

// Writes bytes at the end of the file and through to the disk; empty, or the system's reason.
using AppendBytes = std::function<std::string(std::string_view bytes)>;

class ReportJournal {
 public:
  // `path` names the file in what is said of it; the header is written unless the file
  // already holds a report to go on with.
  ReportJournal(std::string path, AppendBytes append, bool writeHeader);
  void Add(const ReportRow& row);
  const std::string& Path() const { return path_; }
  // "The report could not be written to FILE: reason" once a write failed; empty before.
  const std::string& Error() const { return error_; }

 private:
  void Write(std::string_view bytes);
  std::string path_;
  AppendBytes append_;
  std::string error_;
};

}  // namespace quillory
