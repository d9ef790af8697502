#include "libreoffice_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/file_name.h"
#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "document_files_win.h"
#include "hazards_win.h"
#include "journal.h"
#include "office_command.h"

namespace standin {
namespace {

// Run under Wine as /bin/sh -c <this> quillory-office FOLDER COMMAND TICKS ARGUMENTS...: starts
// LibreOffice (or COMMAND, a test's stand-in for it) in a process group of its own and waits
// for it. Beside it a watcher polls the instance's process (the shell's parent) every 0.2 s:
// once that is gone, ended at the time limit or on Esc, the group is killed and the folder
// removed. After TICKS polls the group is killed all the same (exit status 124): a client that
// died can no longer end a LibreOffice that hangs. Exit status 127: no soffice on PATH.
constexpr char kWatchedRun[] = R"(exec 2>/dev/null
folder=$1 command=$2 ticks=$3
shift 3
parent=$PPID
HOME=$folder/home
export HOME
if [ -z "$command" ]; then
  command -v soffice >/dev/null 2>&1 || exit 127
  command='exec soffice "$@"'
fi
setsid sh -c "$command" soffice "$@" </dev/null >"$folder/output" 2>&1 &
office=$!
(n=0
 while kill -0 "$parent" 2>/dev/null && [ $n -lt "$ticks" ]; do sleep 0.2; n=$((n + 1)); done
 [ $n -ge "$ticks" ] && : >"$folder/out/overdue"
 kill -9 -"$office" 2>/dev/null
 kill -0 "$parent" 2>/dev/null || rm -rf "$folder") &
watcher=$!
wait "$office"
status=$?
kill -9 -"$office" 2>/dev/null
[ -e "$folder/out/overdue" ] && status=124
kill -0 "$parent" 2>/dev/null && kill "$watcher" 2>/dev/null
exit $status)";

constexpr int kNotFound = 127;
constexpr int kOverdue = 124;  // ended at the stand-in's own limit

struct WineCalls {
  using Spawn = LONG(CDECL*)(char* const* argv, int wait);
  using UnixName = char*(CDECL*)(const wchar_t* path);
  Spawn spawn = nullptr;
  UnixName unixName = nullptr;
};

// Wine's own exports, found only when the process runs under Wine.
const WineCalls* Wine() {
  static const WineCalls calls = [] {
    WineCalls found;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll && GetProcAddress(ntdll, "wine_get_version")) {
      found.spawn = reinterpret_cast<WineCalls::Spawn>(
          reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "__wine_unix_spawnvp")));
      found.unixName = reinterpret_cast<WineCalls::UnixName>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    }
    return found;
  }();
  return calls.spawn && calls.unixName ? &calls : nullptr;
}

std::string UnixPath(const WineCalls& wine, const std::wstring& path) {
  char* name = wine.unixName(path.c_str());
  if (!name) return {};
  std::string unix(name);
  HeapFree(GetProcessHeap(), 0, name);
  return unix;
}

std::wstring TemporaryFolder() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  return n > 0 && n <= MAX_PATH ? std::wstring(temp, n) : std::wstring(L".\\");
}

// Runs a Unix program and waits for it; its exit status, or -1 when it did not start.
int RunUnix(const WineCalls& wine, std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const LONG status = wine.spawn(argv.data(), 1);
  return status >= 0 && status <= 255 ? static_cast<int>(status) : -1;
}

// A profile is a hundred-odd files: under Wine the host's cp and rm copy and remove it in a few
// milliseconds, where Wine's own file calls take some 100 to 300.
bool CopyTree(const std::wstring& from, const std::wstring& to) {
  const WineCalls* wine = Wine();
  if (!wine) return CopyFolderTree(from, to);
  const std::string source = UnixPath(*wine, from), target = UnixPath(*wine, to);
  return !source.empty() && !target.empty() && RunUnix(*wine, {"/bin/cp", "-R", source, target}) == 0;
}

void RemoveTree(const std::wstring& folder) {
  const WineCalls* wine = Wine();
  const std::string unix = wine ? UnixPath(*wine, folder) : std::string();
  if (unix.empty() || RunUnix(*wine, {"/bin/rm", "-rf", unix}) != 0) RemoveFolderTree(folder);
}

const std::wstring& Folder() {
  static const std::wstring folder = TemporaryFolder() + L"QuilloryStandin-" + std::to_wstring(GetCurrentProcessId());
  return folder;
}

// A profile LibreOffice has started in once, kept for later instances to copy as their own:
// starting in an empty profile costs some 200 ms more. Only ever copied, never run in.
std::wstring SeedProfile() { return TemporaryFolder() + L"QuilloryStandin.profile"; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Keeps this instance's profile as the seed when there is none yet; made under a name of its
// own and then renamed, so another instance never copies half a seed.
void KeepSeedProfile() {
  const std::wstring seed = SeedProfile();
  if (Exists(seed)) return;
  const std::wstring draft = seed + L"-" + std::to_wstring(GetCurrentProcessId());
  RemoveTree(draft);
  if (!CopyTree(Folder() + L"\\profile", draft) || !MoveFileExW(draft.c_str(), seed.c_str(), 0)) RemoveTree(draft);
}

std::string Reason(DWORD code) { return quillory::SystemReason(code); }

// Whether a process of this program runs under that id; one that cannot be looked at (another
// user's) counts as running.
bool StandinRuns(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  wchar_t image[MAX_PATH], own[MAX_PATH];
  DWORD size = MAX_PATH;
  const bool ours = QueryFullProcessImageNameW(process, 0, image, &size) &&
                    GetModuleFileNameW(nullptr, own, MAX_PATH) &&
                    CompareStringOrdinal(quillory::FileName(image).c_str(), -1, quillory::FileName(own).c_str(), -1,
                                         TRUE) == CSTR_EQUAL;
  CloseHandle(process);
  return ours;
}

// An instance ended between two conversions keeps its folder (its watcher removes it only when
// the instance is ended during one): each instance's first conversion removes the folders of
// instances no longer running.
void RemoveFoldersOfEndedInstances() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((TemporaryFolder() + L"QuilloryStandin-*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    const std::wstring id = name.substr(std::size(L"QuilloryStandin-") - 1);
    if (id.empty() || id.find_first_not_of(L"0123456789") != std::wstring::npos || id.size() > 9) continue;
    const DWORD process = std::stoul(id);
    if (process != GetCurrentProcessId() && !StandinRuns(process)) RemoveTree(TemporaryFolder() + name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The instance's folder with its profile, and empty in and out folders for this conversion.
bool PrepareFolder(std::string* reason) {
  const std::wstring& folder = Folder();
  if (!Exists(folder)) RemoveFoldersOfEndedInstances();
  RemoveFolderTree(folder + L"\\in");
  RemoveFolderTree(folder + L"\\out");
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring profile = folder + L"\\profile";
  if (!Exists(profile) && Exists(SeedProfile() + L"\\user\\registrymodifications.xcu") &&
      !CopyTree(SeedProfile(), profile)) {
    RemoveTree(profile);  // a fresh one, then
  }
  for (const wchar_t* sub : {L"", L"\\profile", L"\\profile\\user", L"\\home", L"\\in", L"\\out"}) {
    const std::wstring path = folder + sub;
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      *reason = "its working folder \"" + quillory::Narrow(path) + "\" could not be made: " + Reason(GetLastError());
      return false;
    }
  }
  const std::wstring settings = folder + L"\\profile\\user\\registrymodifications.xcu";
  std::wstring why;
  if (!Exists(settings) && !WriteWholeFile(settings, std::string(ProfileSettings()), &why)) {
    *reason = "LibreOffice's profile could not be written: " + quillory::Narrow(why);
    return false;
  }
  return true;
}

// Runs the watched command under Wine; its exit status, or -1 with the reason.
int RunUnderWine(const WineCalls& wine, const EngineChoice& choice, const std::string& source, std::string* reason) {
  const std::string folder = UnixPath(wine, Folder());
  if (folder.empty()) {
    *reason = "the working folder has no Unix path";
    return -1;
  }
  std::vector<std::string> words = {"/bin/sh", "-c", kWatchedRun, "quillory-office", folder,
                                    quillory::Narrow(OfficeCommand()), std::to_string(OfficeLimitSeconds(kOfficeLimitSeconds) * 5)};
  for (std::string& a : OfficeArguments(FileUrl(folder + "/profile"), choice, folder + "/out", folder + "/in/" + source)) {
    words.push_back(std::move(a));
  }
  const int status = RunUnix(wine, std::move(words));
  if (status < 0) *reason = "/bin/sh could not be started";
  return status;
}

// soffice.exe from LibreOffice's registered install path, else from PATH.
std::wstring WindowsOffice() {
  wchar_t path[MAX_PATH];
  DWORD bytes = sizeof(path);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\LibreOffice\\UNO\\InstallPath", nullptr, RRF_RT_REG_SZ, nullptr,
                   path, &bytes) == ERROR_SUCCESS) {
    const std::wstring program = std::wstring(path) + L"\\soffice.exe";
    if (Exists(program)) return program;
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

// Runs LibreOffice on Windows in a job killed with this process; its exit status, -1 with the
// reason, or 127 when it is not installed.
int RunOnWindows(const EngineChoice& choice, const std::string& source, std::string* reason) {
  std::wstring program = OfficeCommand();
  if (program.empty()) program = WindowsOffice();
  if (program.empty()) return kNotFound;
  const std::string folder = quillory::Narrow(Folder());
  std::wstring commandLine = Quoted(program);
  for (const std::string& a :
       OfficeArguments(FileUrl(folder + "\\profile"), choice, folder + "\\out", folder + "\\in\\" + source)) {
    commandLine += L" " + Quoted(quillory::Widen(a));
  }
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  const std::wstring outputPath = Folder() + L"\\output";
  HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
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
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process{};
  const BOOL started = output != INVALID_HANDLE_VALUE && job &&
                       CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  const DWORD startError = GetLastError();
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (!started) {
    *reason = "\"" + quillory::Narrow(program) + "\" could not be started: " + Reason(startError);
    return -1;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  DWORD status = kOverdue;
  if (WaitForSingleObject(process.hProcess, OfficeLimitSeconds(kOfficeLimitSeconds) * 1000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &status);
  }
  TerminateJobObject(job, 1);  // whatever it left behind
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status > 255 ? 255 : static_cast<int>(status);
}

}  // namespace

OfficeOutcome ConvertWithOffice(std::string_view document, std::string_view extension, const EngineChoice& choice,
                                std::string* out, std::string* reason) {
  if (OfficeHidden()) return OfficeOutcome::kMissing;
  if (!PrepareFolder(reason)) return OfficeOutcome::kFailed;
  const std::string source = OfficeSourceName(choice.kind, extension);
  std::wstring why;
  if (!WriteWholeFile(Folder() + L"\\in\\" + quillory::Widen(source), std::string(document), &why)) {
    *reason = "the document could not be copied for LibreOffice: " + quillory::Narrow(why);
    return OfficeOutcome::kFailed;
  }
  Journal(L"Server: LibreOffice converts " + quillory::Widen(source) + L" to " + quillory::Widen(choice.extension));
  const WineCalls* wine = Wine();
  const int status = wine ? RunUnderWine(*wine, choice, source, reason) : RunOnWindows(choice, source, reason);
  if (status < 0) return OfficeOutcome::kFailed;
  if (status == kNotFound) return OfficeOutcome::kMissing;
  if (status == kOverdue) {
    *reason = "LibreOffice did not finish within " + std::to_string(OfficeLimitSeconds(kOfficeLimitSeconds)) +
              " seconds and was ended";
    return OfficeOutcome::kFailed;
  }
  const std::string made = source.substr(0, source.rfind('.')) + std::string(choice.extension);
  const bool wrote = ReadDocumentFile(Folder() + L"\\out\\" + quillory::Widen(made), true, out, &why) == ReadOutcome::kRead;
  if (status == 0 && wrote) {
    KeepSeedProfile();
    return OfficeOutcome::kConverted;
  }
  std::string printed;
  ReadDocumentFile(Folder() + L"\\output", true, &printed, &why);
  *reason = OfficeFailure(printed, status, wrote);
  return OfficeOutcome::kFailed;
}

void RemoveOfficeFolder() {
  if (Exists(Folder())) RemoveTree(Folder());
}

}  // namespace standin
