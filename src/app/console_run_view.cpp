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

DocumentCheck ConsoleRunView::CheckDocument(const std::string& document, const std::string& templatePath) {
  using Verdict = DocumentCheck::Verdict;
  WIN32_FILE_ATTRIBUTE_DATA source{}, made{};
  if (const DWORD error = ReadAttributes(document, source); error != ERROR_SUCCESS) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
      return {Verdict::kFail, "The file does not exist."};
    }
    return {Verdict::kFail, SystemReason(error)};
  }
  if (source.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {Verdict::kFail, "It is a folder."};
  if (choices_.skipNewer && ReadAttributes(templatePath, made) == ERROR_SUCCESS &&
      Ticks(made.ftLastWriteTime) > Ticks(source.ftLastWriteTime)) {
    return {Verdict::kSkip, "Its template is newer than the document."};
  }
  return {};
}

std::string ConsoleRunView::TemplateFor(size_t index, const std::string& document, TemplateTarget target) const {
  if (choices_.outFolder.empty()) return TemplatePath(document, target);
  const std::string& out = choices_.outFolder;
  return out + (out.ends_with('\\') ? "" : "\\") + TemplatePath(documents_[index].relative, target);
}

std::string ConsoleRunView::PathKey(const std::string& path) const { return ComparablePath(path); }

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
