#include "conversion/report_journal.h"

namespace quillory {

ReportJournal::ReportJournal(std::string path, AppendBytes append, bool writeHeader)
    : path_(std::move(path)), append_(std::move(append)) {
  if (writeHeader) Write(ReportCsvHeader());
}

void ReportJournal::Add(const ReportRow& row) { Write(ReportCsvRow(row)); }

void ReportJournal::Write(std::string_view bytes) {
  // Rows after a lost one would leave a report that looks whole and is not.
  if (!error_.empty()) return;
  if (std::string reason = append_(bytes); !reason.empty()) {
    error_ = "The report could not be written to " + path_ + ": " + reason;
  }
}

}  // namespace quillory
