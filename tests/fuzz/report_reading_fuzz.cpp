// libFuzzer target: any bytes as a report for /resume to go on from. They are refused with a
// reason and no rows, or the rows read, written again, read back the same, and the bytes kept
// for new rows never pass the end of the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "conversion/report_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quillory::ReadReport read = quillory::ReadReportCsv(text);
  if (!read.error.empty()) {
    if (!read.rows.empty()) __builtin_trap();
    return 0;
  }
  if (read.wholeBytes > size) __builtin_trap();
  std::string again = quillory::ReportCsvHeader();
  for (const quillory::ReportRow& row : read.rows) again += quillory::ReportCsvRow(row);
  const quillory::ReadReport back = quillory::ReadReportCsv(again);
  if (!back.error.empty() || back.rows.size() != read.rows.size() || (!read.rows.empty() && back.wholeBytes != again.size())) {
    __builtin_trap();
  }
  for (size_t i = 0; i < read.rows.size(); ++i) {
    const quillory::ReportRow &a = read.rows[i], &b = back.rows[i];
    if (a.document != b.document || a.templatePath != b.templatePath || a.result != b.result || a.reason != b.reason) {
      __builtin_trap();
    }
  }
  return 0;
}
