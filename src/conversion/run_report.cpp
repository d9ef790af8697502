#include "conversion/run_report.h"

#include <algorithm>
#include <charconv>

namespace quillory {
namespace {

void AppendField(std::string& out, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// Milliseconds are enough, and a spreadsheet in any locale reads a dot as written here.
std::string Seconds(double seconds) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, std::max(seconds, 0.0), std::chars_format::fixed, 3);
  return std::string(text, end.ptr);
}

}  // namespace

size_t RunReport::Count(DocumentResult result) const {
  return static_cast<size_t>(
      std::count_if(rows.begin(), rows.end(), [result](const ReportRow& row) { return row.result == result; }));
}

const char* ResultName(DocumentResult result) {
  switch (result) {
    case DocumentResult::kConverted: return "converted";
    case DocumentResult::kFailed: return "failed";
    case DocumentResult::kSkipped: return "skipped";
    case DocumentResult::kNotTried: return "not tried";
  }
  return "not tried";
}

std::string RunSummary(const RunReport& report) {
  return std::to_string(report.Count(DocumentResult::kConverted)) + " converted, " +
         std::to_string(report.Count(DocumentResult::kFailed)) + " failed, " +
         std::to_string(report.Count(DocumentResult::kSkipped)) + " skipped, " +
         std::to_string(report.Count(DocumentResult::kNotTried)) + " not tried.";
}

size_t RunReport::MacrosLost() const {
  return static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [](const ReportRow& row) { return row.macrosLost; }));
}

std::string MacrosLostLine(const RunReport& report) {
  const size_t lost = report.MacrosLost();
  if (lost == 0) return {};
  return std::to_string(lost) + (lost == 1 ? " template lost its macros" : " templates lost their macros") +
         ", which a .dotx template cannot hold";
}

std::string ReportCsvHeader() { return "\xEF\xBB\xBF" "document,template,result,reason,seconds\r\n"; }

std::string ReportCsvRow(const ReportRow& row) {
  std::string csv;
  AppendField(csv, row.document);
  csv += ',';
  AppendField(csv, row.templatePath);
  csv += ',';
  csv += ResultName(row.result);
  csv += ',';
  AppendField(csv, row.reason);
  csv += ',';
  csv += Seconds(row.seconds);
  csv += "\r\n";
  return csv;
}

std::string ReportCsv(const RunReport& report) {
  std::string csv = ReportCsvHeader();
  for (const ReportRow& row : report.rows) csv += ReportCsvRow(row);
  return csv;
}

}  // namespace quillory
