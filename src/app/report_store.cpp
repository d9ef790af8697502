#include "app/report_store.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

#include "app/report_names.h"
#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "platform/files.h"
#include "platform/hresult_text.h"

namespace quillory {
namespace {

std::string Failure(const std::wstring& path, const std::string& reason) { return Narrow(path) + ": " + reason; }

// The names of the files in the folder that could be reports.
std::vector<std::string> CsvFiles(const std::wstring& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileExW((folder + L"\\*.csv").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                 nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

}  // namespace

std::wstring ReportsFolder(std::string* error) {
  std::wstring base;
  if (const DWORD size = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0); size > 1) {
    base.resize(size);
    base.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), size));
  }
  if (base.empty()) {
    PWSTR known = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known);
    if (SUCCEEDED(hr)) base = known;
    CoTaskMemFree(known);
    if (base.empty()) {
      if (error) *error = "The local application data folder could not be found: " + HresultText(hr);
      return {};
    }
  }
  while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
  return base + L"\\Quillory\\Reports";
}

StartedReport StartReportFile() {
  StartedReport started;
  KeptReport& kept = started.kept;
  const std::wstring folder = ReportsFolder(&kept.error);
  if (folder.empty()) return started;
  if (kept.error = MakeFolder(folder); !kept.error.empty()) return started;

  SYSTEMTIME now;
  GetLocalTime(&now);
  const ReportTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  std::vector<std::string> names = CsvFiles(folder);
  // Another Quillory starting its run in the same second may take the name first: never
  // write into its report, take the next name.
  std::string name;
  for (int tries = 0;; ++tries) {
    name = FreeReportName(time, names);
    const std::wstring path = folder + L"\\" + Widen(name);
    std::string reason;
    started.file = AppendingFile::Start(path, AppendingFile::Open::kNew, 0, &reason);
    if (started.file) break;
    if (tries >= 100 || !FileExists(path)) {
      kept.error = Failure(path, reason);
      return started;
    }
    names.push_back(name);
  }
  kept.path = Narrow(folder + L"\\" + Widen(name));

  // A report that cannot be removed now is removed after a later run.
  names.push_back(name);
  for (const std::string& old : ReportsBeyond(names, kReportsKept)) DeleteFileW((folder + L"\\" + Widen(old)).c_str());
  return started;
}

}  // namespace quillory
