#include "office_run_windows_win.h"

#include <windows.h>

#include "common/scoped_handles_win.h"
#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "document_files_win.h"
#include "hazards_win.h"
#include "office_command.h"
#include "office_folder_win.h"

namespace standin {
namespace {

// soffice.exe from LibreOffice's registered install path, else from PATH.
std::wstring WindowsOffice() {
  wchar_t path[MAX_PATH];
  DWORD bytes = sizeof(path);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\LibreOffice\\UNO\\InstallPath", nullptr, RRF_RT_REG_SZ, nullptr,
                   path, &bytes) == ERROR_SUCCESS) {
    const std::wstring program = std::wstring(path) + L"\\soffice.exe";
    if (PathExists(program)) return program;
  }
  const DWORD n = SearchPathW(nullptr, L"soffice.exe", nullptr, MAX_PATH, path, nullptr);
  return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

// An argument as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

}  // namespace

int RunOfficeOnWindows(const EngineChoice& choice, const std::string& source, std::string* reason) {
  std::wstring program = OfficeCommand();
  if (program.empty()) program = WindowsOffice();
  if (program.empty()) return kOfficeNotFound;
  const std::string folder = quillory::Narrow(OfficeFolder());
  std::wstring commandLine = Quoted(program);
  for (const std::string& a :
       OfficeArguments(FileUrl(folder + "\\profile"), choice, folder + "\\out", folder + "\\in\\" + source)) {
    commandLine += L" " + Quoted(quillory::Widen(a));
  }
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  const std::wstring outputPath = OfficeFolder() + L"\\output";
  quillory::ScopedHandle output(CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  // Kept for the life of the process: when the instance is ended, the last handle goes and
  // the job takes LibreOffice with it.
  static HANDLE job = [] {
    HANDLE j = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (j) SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    return j;
  }();
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output.Get();
  startup.hStdError = output.Get();
  PROCESS_INFORMATION process{};
  const BOOL started = output && job &&
                       CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  const DWORD startError = GetLastError();
  output.Reset();  // LibreOffice holds its own
  const quillory::ScopedHandle thread(process.hThread), child(process.hProcess);
  if (!started) {
    *reason = "\"" + quillory::Narrow(program) + "\" could not be started: " + quillory::SystemReason(startError);
    return -1;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  DWORD status = kOfficeOverdue;
  if (WaitForSingleObject(process.hProcess, OfficeLimitSeconds(kOfficeLimitSeconds) * 1000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &status);
  }
  TerminateJobObject(job, 1);  // whatever it left behind
  return status > 255 ? 255 : static_cast<int>(status);
}

}  // namespace standin
