// The report of a run: one row per document of the list, in list order, with what became of
// it. Front ends print it, keep it, or write it where the user asked; as CSV it opens in a
// spreadsheet with every name intact.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillory {

enum class DocumentResult { kConverted, kFailed, kSkipped, kNotTried };

struct ReportRow {
  std::string document;      // the entry's text, as handed to the word processor
  std::string templatePath;  // where its template goes (or went)
  DocumentResult result = DocumentResult::kNotTried;
  std::string reason;        // why it failed, was skipped or not tried; empty when converted
  double seconds = 0;        // from the start of its conversion to its end
  bool macrosLost = false;   // converted into a template that could not hold its macros
};

// How a run that began ended.
enum class RunEnd {
  kFinished,      // every document was tried
  kStopped,       // the user stopped it: the rest were not tried
  kNotInstalled,  // the word processor went missing: the rest were not tried
  kClosed,        // the window was closed: the rest were not tried
};

struct RunReport {
  std::vector<ReportRow> rows;
  RunEnd end = RunEnd::kFinished;

  size_t Count(DocumentResult result) const;
  size_t MacrosLost() const;  // converted rows whose template could not hold the macros
};

// Where a front end kept the report of a run: its path, or why it could not be kept.
struct KeptReport {
  std::string path;
  std::string error;
  bool partWay = false;  // begun, and then it could not be written to its end
};

// "converted", "failed", "skipped" or "not tried".
const char* ResultName(DocumentResult result);

// "N converted, M failed, K skipped, L not tried."
std::string RunSummary(const RunReport& report);

// The reason of a converted row whose document's macros its template could not hold.
inline constexpr char kMacrosNotKeptText[] = "Its macros were not kept: a .dotx template cannot hold them.";
// "N templates lost their macros, which a .dotx template cannot hold", or "" when none did.
std::string MacrosLostLine(const RunReport& report);

// The report as CSV: UTF-8 with a byte-order mark, a header row naming the columns document,
// template, result, reason and seconds, then one row per document; fields quoted where they
// hold a comma, a quote or a line break, quotes doubled, lines ended by CR LF.
std::string ReportCsv(const RunReport& report);
// Its parts, for a report written row by row: the mark with the header, and one row.
std::string ReportCsvHeader();
std::string ReportCsvRow(const ReportRow& row);

}  // namespace quillory
