#include "conversion/closing_message.h"

#include <algorithm>

namespace quillory {
namespace {

std::string Documents(size_t n) { return std::to_string(n) + (n == 1 ? " document" : " documents"); }

std::string FailureList(const RunReport& report) {
  const size_t failed = report.Count(DocumentResult::kFailed);
  if (failed == 0) return {};
  std::string text = "\r\n\r\n" + Documents(failed) + " could not be converted:";
  size_t listed = 0;
  for (const ReportRow& row : report.rows) {
    if (row.result != DocumentResult::kFailed) continue;
    if (++listed > kFailuresListed) break;
    text += "\r\n" + row.document + ": " + OneLine(row.reason);
  }
  if (failed > kFailuresListed) text += "\r\nand " + std::to_string(failed - kFailuresListed) + " more.";
  return text;
}

// Only when the message cannot name every failure does it point to the report.
std::string ReportLine(const RunReport& report, const KeptReport& kept) {
  // A report that lacks rows must never pass for a whole one.
  if (kept.partWay) return "\r\n\r\n" + OneLine(kept.error) + " Its later rows are missing.";
  if (report.Count(DocumentResult::kFailed) <= kFailuresListed) return {};
  if (!kept.path.empty()) return "\r\n\r\nThe report of this run names every document: " + kept.path;
  if (!kept.error.empty()) return "\r\n\r\nThe report of this run could not be saved: " + OneLine(kept.error);
  return {};
}

// Templates that lost their macros, on one line right after "Done.", and where they are named.
std::string MacrosLine(const RunReport& report, const KeptReport& kept) {
  const std::string line = MacrosLostLine(report);
  if (line.empty()) return {};
  return "\r\n\r\n" + line + (kept.path.empty() ? "." : std::string("; the report of this run names ") +
                                                             (report.MacrosLost() == 1 ? "it: " : "them: ") + kept.path);
}

}  // namespace

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text.empty() ? std::string("unknown reason") : text;
}

bool NothingTriedWithoutWord(const RunReport& report) {
  return report.end == RunEnd::kNotInstalled && report.Count(DocumentResult::kConverted) == 0 &&
         report.Count(DocumentResult::kFailed) == 0;
}

std::string ClosingMessage(const RunReport& report, const KeptReport& kept) {
  const size_t notTried = report.Count(DocumentResult::kNotTried);
  if (report.end == RunEnd::kStopped || report.end == RunEnd::kClosed) {
    return std::string(kStoppedText) + "\r\n\r\n" + Documents(report.Count(DocumentResult::kConverted)) +
           " converted, " + std::to_string(notTried) + " not tried." + FailureList(report) + ReportLine(report, kept);
  }
  if (NothingTriedWithoutWord(report)) return kWordNotInstalledText;
  std::string text = kDoneText + MacrosLine(report, kept) + FailureList(report);
  if (notTried > 0) {
    text += "\r\n\r\nMicrosoft Word could not be found, so the last " +
            (notTried == 1 ? std::string("document was") : Documents(notTried) + " were") + " not converted.";
  }
  return text + ReportLine(report, kept);
}

}  // namespace quillory
