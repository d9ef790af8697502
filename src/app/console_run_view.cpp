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

bool ConsoleRunView::AskYesNo(const std::string& text) {
  err_.Line(text.substr(0, text.find('\r')) + " The run goes on: a command line cannot answer.");
  return true;
}

DocumentCheck ConsoleRunView::CheckDocument(size_t index, const std::string& document, const std::string& templatePath) {
  using Verdict = DocumentCheck::Verdict;
  WIN32_FILE_ATTRIBUTE_DATA source{}, made{};
  // A listing of a large share need not look again at every file its search just found.
  if (!choices_.listOnly || choices_.skipNewer || !documents_[index].found) {
    if (const DWORD error = ReadAttributes(document, source); error != ERROR_SUCCESS) {
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
        return {Verdict::kFail, "The file does not exist."};
      }
      return {Verdict::kFail, SystemReason(error)};
    }
    if (source.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {Verdict::kFail, "It is a folder."};
  }
  if (choices_.skipNewer && ReadAttributes(templatePath, made) == ERROR_SUCCESS &&
      Ticks(made.ftLastWriteTime) > Ticks(source.ftLastWriteTime)) {
    return {Verdict::kSkip, "Its template is newer than the document."};
  }
  if (choices_.listOnly && !choices_.outFolder.empty()) {
    const size_t folderEnd = templatePath.find_last_of('\\');
    const std::string& reason = Blocked(templatePath.substr(0, folderEnd == std::string::npos ? 0 : folderEnd));
    if (!reason.empty()) return {Verdict::kFail, reason};
  }
  return {};
}

// A folder that is missing can be made unless a file stands where it or a folder above it
// would be.
const std::string& ConsoleRunView::Blocked(const std::string& folder) {
  if (const auto known = blocked_.find(folder); known != blocked_.end()) return known->second;
  std::string reason;
  const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(Widen(folder)).c_str());
  const size_t parentEnd = folder.find_last_of('\\');
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    reason = "The folder for its template cannot be made: " + folder + " is a file.";
  } else if (attributes == INVALID_FILE_ATTRIBUTES && parentEnd != std::string::npos && parentEnd > 2) {
    reason = Blocked(folder.substr(0, parentEnd));
  }
  return blocked_.emplace(folder, std::move(reason)).first->second;
}

std::string ConsoleRunView::TemplateFor(size_t index, const std::string& document, TemplateTarget target) const {
  if (choices_.outFolder.empty()) return TemplatePath(document, target);
  const std::string& out = choices_.outFolder;
  return out + (out.ends_with('\\') ? "" : "\\") + TemplatePath(documents_[index].relative, target);
}

// Every document and template here is a full path already.
std::string ConsoleRunView::PathKey(const std::string& path) const { return UpperCaseName(path); }

DocumentCheck ConsoleRunView::PrepareDocument(const std::string& templatePath) {
  if (choices_.outFolder.empty()) return {};
  const size_t folderEnd = templatePath.find_last_of('\\');
  if (folderEnd == std::string::npos) return {};
  if (std::string reason = MakeFolder(Widen(templatePath.substr(0, folderEnd))); !reason.empty()) {
    return {DocumentCheck::Verdict::kFail, std::move(reason)};
  }
  return {};
}

void ConsoleRunView::DocumentEnded(size_t index, size_t count, const ReportRow& row) {
  out_.Line(DocumentLine(index, count, row));
}

}  // namespace quillory
