// Quillory.com: the console twin of Quillory.exe. It runs the window's conversion over the
// documents named on its command line, prints a line for each and a summary, and tells a
// script how the run went by its exit code.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "adding/command_line_paths.h"
#include "adding/directory_lister_win.h"
#include "app/command_line.h"
#include "app/console_output.h"
#include "app/console_run_view.h"
#include "app/document_share.h"
#include "app/search_progress.h"
#include "app/run_settings.h"
#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "conversion/instance_thread_win.h"
#include "conversion/report_journal.h"
#include "conversion/report_reading.h"
#include "platform/appending_file.h"
#include "platform/files.h"
#include "common/scoped_handles_win.h"

namespace quillory {
namespace {

// How long closing the console may wait for the run to end its instances and write its
// report: the system ends the program about five seconds after it asked.
constexpr DWORD kCloseWait = 4500;

// What the control handler shares with the run (it is called on a thread of its own).
struct ConsoleStop {
  std::atomic<bool> requested{false};
  HANDLE stopEvent = nullptr;  // wakes the run's waits
  HANDLE finished = nullptr;   // set once the run is over and its report written
  ConsoleOutput* err = nullptr;
};
ConsoleStop g_stop;

BOOL WINAPI OnControl(DWORD event) {
  const bool closing = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
  if (!closing && event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (!g_stop.requested.exchange(true) && !closing && g_stop.err) {
    g_stop.err->Line("Stopping: the document in hand is abandoned and its instance ended.");
  }
  SetEvent(g_stop.stopEvent);
  // The program ends as soon as this returns: wait until nothing it started is left running.
  if (closing) WaitForSingleObject(g_stop.finished, kCloseWait);
  return TRUE;
}

// Empty when the report file can be written, without changing it or leaving a new one behind;
// otherwise the system's reason.
std::string CheckWritable(const std::wstring& path) {
  const std::wstring file = ExtendedLengthPath(path);
  ScopedHandle existing(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (existing) return {};
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND) return SystemReason(error);
  ScopedHandle created(CreateFileW(file.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return created ? std::string() : SystemReason(GetLastError());
}

// The largest report /resume reads: millions of rows.
constexpr size_t kMostReportBytes = size_t{1} << 30;

std::string Refusal(const std::string& problem) {
  return problem + " Nothing was converted. Type Quillory.com /? for the usage.";
}

// What an earlier run left in the report: the latest row of each document, by its compared path.
struct EarlierRun {
  std::unordered_map<std::string, ReportRow> latest;
  uint64_t wholeBytes = 0;  // where this run's rows go
};

// The report to go on from; nothing, with the reason in `error`, when it is not one.
std::optional<EarlierRun> ReadEarlierRun(const std::wstring& path, std::string& error) {
  EarlierRun earlier;
  if (!FileExists(path)) return earlier;  // a first run: the report starts here
  const std::optional<std::string> text = ReadSmallFile(path, kMostReportBytes);
  if (!text) {
    error = "The report file " + Narrow(path) + " cannot be read.";
    return std::nullopt;
  }
  ReadReport read = ReadReportCsv(*text);
  if (!read.error.empty()) {
    error = "The report file " + Narrow(path) + " cannot be resumed: " + read.error;
    return std::nullopt;
  }
  earlier.wholeBytes = read.wholeBytes;
  earlier.latest.reserve(read.rows.size());
  for (ReportRow& row : read.rows) {
    std::string key = UpperCaseName(row.document);  // a report names every document in full
    earlier.latest.insert_or_assign(std::move(key), std::move(row));
  }
  return earlier;
}

// Done by the earlier run: converted with its template still there, or skipped.
bool DoneBefore(const EarlierRun& earlier, const std::string& document) {
  const auto found = earlier.latest.find(UpperCaseName(document));
  if (found == earlier.latest.end()) return false;
  const ReportRow& row = found->second;
  return row.result == DocumentResult::kSkipped ||
         (row.result == DocumentResult::kConverted && FileExists(Widen(row.templatePath)));
}

// Every document the paths name, each with its place below its path argument, leaving out
// whatever lies in the /out folder's own tree. Nothing when stopped.
std::optional<std::vector<NamedDocument>> GatherDocuments(const CommandLine& line, const std::string& outFolder,
                                                          ConsoleOutput& err) {
  WindowsDirectoryLister windows;
  std::optional<SearchProgress> progress;
  if (err.IsConsole()) progress.emplace(windows, line.extension, err);
  DirectoryLister& lister = progress ? static_cast<DirectoryLister&>(*progress) : windows;
  const KeepGoing keepGoing = [] { return !g_stop.requested; };
  std::string outTree = UpperCaseName(outFolder);  // full already
  if (!outTree.empty() && outTree.back() != '\\') outTree += '\\';
  std::vector<NamedDocument> documents;
  for (const std::string& path : line.paths) {
    const std::string full = Narrow(FullPath(Widen(path)));
    const bool folder = !IsNamePattern(full) && IsFolder(Widen(full));
    std::optional<std::vector<std::string>> named = DocumentsNamed(full, folder, line.extension, lister, keepGoing);
    if (!named) return std::nullopt;
    for (std::string& document : *named) {
      if (!outTree.empty() && UpperCaseName(document).starts_with(outTree)) continue;
      std::string relative = RelativeName(document, full, folder);
      documents.push_back({std::move(document), std::move(relative), folder || IsNamePattern(full)});
    }
  }
  return documents;
}

// What /list prints: a line per document and the summary; 1 when any would fail.
int ListOnly(ConsoleRunView& view, ConsoleOutput& out) {
  const RunReport plan = PlanRun(view);
  for (size_t i = 0; i < plan.rows.size(); ++i) out.Line(ListLine(i, plan.rows.size(), plan.rows[i]));
  out.Line(ListSummary(plan));
  return plan.Count(DocumentResult::kFailed) > 0 ? kExitSomeFailed : kExitAllConverted;
}

int Run(const CommandLine& line, ConsoleOutput& out, ConsoleOutput& err) {
  // Before anything else: a report that cannot be written or resumed is known before a long walk.
  std::wstring reportPath;
  std::optional<EarlierRun> earlier;
  if (!line.reportPath.empty()) {
    reportPath = FullPath(Widen(line.reportPath));
    if (line.resume) {
      std::string error;
      earlier = ReadEarlierRun(reportPath, error);
      if (!earlier) {
        err.Line(Refusal(error));
        return kExitBadCommand;
      }
    }
    if (const std::string reason = line.list ? std::string() : CheckWritable(reportPath); !reason.empty()) {
      err.Line(Refusal("The report file " + Narrow(reportPath) + " cannot be written: " + reason));
      return kExitBadCommand;
    }
  }
  std::string outFolder;
  if (!line.outFolder.empty()) {
    const std::wstring full = FullPath(Widen(line.outFolder));
    if (FileExists(full) && !IsFolder(full)) {
      err.Line(Refusal("The option /out:" + line.outFolder + " names the file " + Narrow(full) + ", not a folder."));
      return kExitBadCommand;
    }
    outFolder = Narrow(full);
    // "T\" as "T", so that templates and the tree left out are named once each; "D:\" stays.
    while (outFolder.size() > 3 && outFolder.back() == '\\') outFolder.pop_back();
  }

  // Every document by its full path, so templates and the report name them in full.
  std::optional<std::vector<NamedDocument>> named = GatherDocuments(line, outFolder, err);
  if (!named) {
    err.Line("Stopped before any document was converted.");
    return kExitStopped;
  }
  if (named->empty()) {
    err.Line("Nothing to convert: no file matches the names given, and no folder given holds a *." + line.extension +
             " file. Type Quillory.com /? for the usage.");
    return kExitBadCommand;
  }
  std::vector<NamedDocument> documents;
  size_t doneBefore = 0;
  for (NamedDocument& document : *named) {
    if (line.shares > 1 && ShareOf(UpperCaseName(document.relative), line.shares) != line.share) continue;
    if (earlier && DoneBefore(*earlier, document.path)) {
      ++doneBefore;
      continue;
    }
    documents.push_back(std::move(document));
  }
  if (earlier && doneBefore > 0) {
    out.Line(std::to_string(doneBefore) + (doneBefore == 1 ? " document was" : " documents were") +
             " done by an earlier run and " + (doneBefore == 1 ? "is" : "are") + " left out.");
  }

  const ConsoleRunChoices choices{line.target, line.newer, outFolder, line.list};
  if (line.list) {
    ConsoleRunView view(std::move(documents), choices, g_stop.requested, out, err);
    return ListOnly(view, out);
  }
  // The report is begun before the first document, and each row goes to the disk as its
  // document ends.
  std::unique_ptr<AppendingFile> reportFile;
  std::optional<ReportJournal> journal;
  if (!reportPath.empty()) {
    std::string reason;
    const uint64_t keep = earlier ? earlier->wholeBytes : 0;
    reportFile = AppendingFile::Start(reportPath, AppendingFile::Open::kAlways, keep, &reason);
    if (!reportFile) {
      err.Line(Refusal("The report file " + Narrow(reportPath) + " cannot be written: " + reason));
      return kExitBadCommand;
    }
    journal.emplace(Narrow(reportPath), [&reportFile](std::string_view bytes) { return reportFile->Append(bytes); },
                    keep == 0);
  }
  ConsoleRunView view(std::move(documents), choices, g_stop.requested, out, err, journal ? &*journal : nullptr);
  RunSettings settings = ReadRunSettings();
  if (line.limit) settings.limit = *line.limit;
  settings.upgrade = line.upgrade;
  const RunReport report = view.EntryCount() > 0 ? RunConversion(view, WaitOrStop(g_stop.stopEvent), settings)
                                                 : RunReport{};

  out.Line(RunSummary(report));
  if (const std::string macros = MacrosLostLine(report); !macros.empty()) out.Line(macros + ".");
  if (NothingTriedWithoutWord(report)) {
    err.Line(kWordNotInstalledText);
  } else if (report.end == RunEnd::kNotInstalled) {
    const size_t notTried = report.Count(DocumentResult::kNotTried);
    err.Line("Microsoft Word could not be found part way, so the last " +
             (notTried == 1 ? std::string("document was") : std::to_string(notTried) + " documents were") +
             " not tried.");
  }
  const bool written = !journal || journal->Error().empty();
  if (!written) err.Line(journal->Error() + " The run went on; the report lacks the rows after that.");
  return RunExitCode(report, written);
}

}  // namespace
}  // namespace quillory

int wmain(int argc, wchar_t** argv) {
  using namespace quillory;
  ConsoleOutput out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Narrow(argv[i]));
  const CommandLine line = ParseCommandLine(arguments);
  if (line.help) {
    const std::string usage = UsageText();
    for (size_t at = 0, end; (end = usage.find('\n', at)) != std::string::npos; at = end + 1) {
      out.Line(std::string_view(usage).substr(at, end - at));
    }
    return kExitAllConverted;
  }
  if (!line.error.empty()) {
    err.Line(line.error);
    return kExitBadCommand;
  }

  ScopedHandle stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  g_stop.stopEvent = stopEvent.Get();
  g_stop.finished = finished.Get();
  g_stop.err = &err;
  SetConsoleCtrlHandler(OnControl, TRUE);
  const int code = Run(line, out, err);
  SettleInstancesBeforeExit(kExitWaitForInstances);
  SetEvent(finished.Get());
  return code;
}
