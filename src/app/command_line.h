// Quillory.com's command line: its options, the usage it prints, the line for each document
// and the exit code a script reads. Portable, so that each can be tested without a console.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "conversion/run_report.h"
#include "conversion/template_path.h"

namespace quillory {

// The exit codes, plain numbers a script compares.
enum ExitCode : int {
  kExitAllConverted = 0,   // every document converted or skipped
  kExitSomeFailed = 1,     // at least one document failed
  kExitBadCommand = 2,     // the command line is wrong, names nothing, or the report cannot be written
  kExitNotInstalled = 3,   // the word processor is not installed
  kExitStopped = 4,        // stopped by Ctrl+C, Ctrl+Break or the console closing
};

// The longest limit per document /limit accepts: a day.
inline constexpr long kMaxLimitSeconds = 24 * 60 * 60;

struct CommandLine {
  bool help = false;  // "/?": print the usage and nothing else
  TemplateTarget target = TemplateTarget::kDot;
  std::string extension = "doc";  // as the folder press takes it: "*." + extension
  bool newer = false;             // skip a document whose template is newer
  bool upgrade = false;           // bring Open XML templates to the current compatibility mode
  std::optional<std::chrono::seconds> limit;
  std::string reportPath;          // empty: no report file
  bool resume = false;             // go on from the report: leave out what it says was done
  std::string outFolder;           // empty: each template beside its document
  bool list = false;               // say what the run would do, and do nothing
  unsigned share = 1, shares = 1;  // "/shard:K/N": this run takes share K of N
  std::vector<std::string> paths;  // documents, folders and patterns, in the order given
  std::string error;               // what is wrong with the command line; empty when nothing
};

// Reads the arguments after the program name (UTF-8). Options are told apart from paths by a
// leading "/" or "-", ignore case, and take their value after ":" or "="; "--" ends them.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What "/?" prints: the usage, every option and the exit codes (lines end in "\n").
std::string UsageText();

// The line printed as a document ends: its place in the run, its result, its path and, for a
// failure or a skip, the reason: "3/120 failed C:\a.doc: The file does not exist."
std::string DocumentLine(size_t index, size_t count, const ReportRow& row);

// The line /list prints for a document: "3/120 convert C:\a.doc -> C:\a.dot", "skip" or
// "fail" with the reason after ": ".
std::string ListLine(size_t index, size_t count, const ReportRow& row);
// "N to convert, M to skip, K to fail."
std::string ListSummary(const RunReport& plan);

// The exit code of a run: stopped over not installed over an unwritten report over a failure.
int RunExitCode(const RunReport& report, bool reportWritten);

}  // namespace quillory
