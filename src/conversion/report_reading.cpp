#include "conversion/report_reading.h"

#include <algorithm>
#include <optional>

namespace quillory {
namespace {

constexpr DocumentResult kResults[] = {DocumentResult::kConverted, DocumentResult::kFailed, DocumentResult::kSkipped,
                                       DocumentResult::kNotTried};

// One CSV record from `at`, moved past its CR LF; nothing when the text ends before it does.
std::optional<std::vector<std::string>> NextRecord(std::string_view text, size_t& at) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = at; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        // The run of plain characters at once: a report of many rows reads in a blink.
        const size_t end = std::min(text.find('"', i), text.size());
        fields.back().append(text.substr(i, end - i));
        i = end - 1;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      at = i + 2;
      return fields;
    } else {
      const size_t end = std::min(text.find_first_of(",\"\r", i + 1), text.size());
      fields.back().append(text.substr(i, end - i));
      i = end - 1;
    }
  }
  return std::nullopt;
}

}  // namespace

ReadReport ReadReportCsv(std::string_view text) {
  ReadReport report;
  if (text.empty()) return report;
  const std::string header = ReportCsvHeader();
  if (!text.starts_with(header)) {
    report.error = "It is not a report of Quillory: its first line is not \"document,template,result,reason,seconds\".";
    return report;
  }
  size_t at = header.size();
  report.wholeBytes = at;
  for (size_t number = 1; at < text.size(); ++number) {
    std::optional<std::vector<std::string>> fields = NextRecord(text, at);
    if (!fields) break;  // cut short: left out
    std::optional<DocumentResult> result;
    if (fields->size() == 5) {
      for (DocumentResult r : kResults) {
        if ((*fields)[2] == ResultName(r)) result = r;
      }
    }
    if (!result || (*fields)[0].empty()) {
      report.rows.clear();
      report.error = "It is not a report of Quillory: its row " + std::to_string(number) + " is not a row of one.";
      return report;
    }
    report.rows.push_back({std::move((*fields)[0]), std::move((*fields)[1]), *result, std::move((*fields)[3]), 0});
    report.wholeBytes = at;
  }
  return report;
}

}  // namespace quillory
