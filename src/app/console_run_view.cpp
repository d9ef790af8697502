#include "app/console_run_view.h"

#include <algorithm>

#include "app/command_line.h"
#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "platform/files.h"

namespace quillory {
namespace {

// The file's attributes and times, or the system's error.
DWORD ReadAttributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  const std::wstring wide = ExtendedLengthPath(Widen(path));
  return GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ? ERROR_SUCCESS : GetLastError();
}

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

}  // namespace

RunWaiter WaitOrStop(HANDLE stopEvent) {
  return [stopEvent](HANDLE handle, std::chrono::steady_clock::time_point deadline,
                     const std::function<bool()>& stop) {
    // Without `stop` (ending an instance, letting one quit) only the handle and the deadline count.
    const HANDLE handles[2] = {handle, stopEvent};
    const DWORD count = stop && stopEvent ? 2 : 1;
    for (;;) {
      if (stop && stop()) return WaitResult::kStopped;
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      const DWORD ms = static_cast<DWORD>(std::clamp<long long>(left.count(), 0, 24 * 60 * 60 * 1000));
      const DWORD waited = WaitForMultipleObjects(count, handles, FALSE, ms);
      if (waited == WAIT_OBJECT_0) return WaitResult::kSignalled;
      if (waited == WAIT_OBJECT_0 + 1) return WaitResult::kStopped;
      if (waited == WAIT_FAILED || std::chrono::steady_clock::now() >= deadline) return WaitResult::kTimedOut;
    }
  };
}

void ConsoleRunView::ShowInformation(const std::string& text) {
  if (text == kWordNotInstalledText) err_.Line(text);
}

bool ConsoleRunView::AskYesNo(const std::string& text) {
  err_.Line(text.substr(0, text.find('\r')) + " The run goes on: a command line cannot answer.");
  return true;
}

DocumentCheck ConsoleRunView::CheckDocument(const std::string& document, const std::string& templatePath) {
  using Verdict = DocumentCheck::Verdict;
  WIN32_FILE_ATTRIBUTE_DATA source{}, made{};
  if (const DWORD error = ReadAttributes(document, source); error != ERROR_SUCCESS) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
      return {Verdict::kFail, "The file does not exist."};
    }
    const std::wstring reason = SystemMessage(error);
    return {Verdict::kFail, reason.empty() ? "error " + std::to_string(error) : Narrow(reason)};
  }
  if (source.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {Verdict::kFail, "It is a folder."};
  if (skipNewer_ && ReadAttributes(templatePath, made) == ERROR_SUCCESS &&
      Ticks(made.ftLastWriteTime) > Ticks(source.ftLastWriteTime)) {
    return {Verdict::kSkip, "Its template is newer than the document."};
  }
  return {};
}

void ConsoleRunView::DocumentEnded(size_t index, size_t count, const ReportRow& row) {
  out_.Line(DocumentLine(index, count, row));
}

}  // namespace quillory
