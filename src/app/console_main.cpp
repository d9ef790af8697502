// Quillory.com: the console twin of Quillory.exe. It runs the window's conversion over the
// documents named on its command line, prints a line for each and a summary, and tells a
// script how the run went by its exit code.
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "adding/command_line_paths.h"
#include "adding/directory_lister_win.h"
#include "app/command_line.h"
#include "app/console_output.h"
#include "app/console_run_view.h"
#include "app/run_settings.h"
#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "conversion/instance_thread_win.h"
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

int Run(const CommandLine& line, ConsoleOutput& out, ConsoleOutput& err) {
  // Before anything else: a report that cannot be written is known before a long walk.
  std::wstring reportPath;
  if (!line.reportPath.empty()) {
    reportPath = FullPath(Widen(line.reportPath));
    if (const std::string reason = CheckWritable(reportPath); !reason.empty()) {
      err.Line("The report file " + Narrow(reportPath) + " cannot be written: " + reason +
               " Nothing was converted. Type Quillory.com /? for the usage.");
      return kExitBadCommand;
    }
  }
  // Every document by its full path, so templates and the report name them in full.
  WindowsDirectoryLister lister;
  const KeepGoing keepGoing = [] { return !g_stop.requested; };
  std::vector<std::string> documents;
  for (const std::string& path : line.paths) {
    const std::wstring full = FullPath(Widen(path));
    std::optional<std::vector<std::string>> named =
        DocumentsNamed(Narrow(full), !IsNamePattern(Narrow(full)) && IsFolder(full), line.extension, lister, keepGoing);
    if (!named) {
      err.Line("Stopped before any document was converted.");
      return kExitStopped;
    }
    documents.insert(documents.end(), named->begin(), named->end());
  }
  if (documents.empty()) {
    err.Line("Nothing to convert: no file matches the names given, and no folder given holds a *." + line.extension +
             " file. Type Quillory.com /? for the usage.");
    return kExitBadCommand;
  }

  ConsoleRunView view(std::move(documents), line.target, line.newer, g_stop.requested, out, err);
  RunSettings settings = ReadRunSettings();
  if (line.limit) settings.limit = *line.limit;
  const RunReport report = RunConversion(view, WaitOrStop(g_stop.stopEvent), settings);

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
  bool written = true;
  if (!reportPath.empty()) {
    if (const std::string reason = WriteWholeFile(reportPath, ReportCsv(report)); !reason.empty()) {
      err.Line("The report could not be written to " + Narrow(reportPath) + ": " + reason);
      written = false;
    }
  }
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
