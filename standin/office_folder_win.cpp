#include "office_folder_win.h"

#include <windows.h>

#include <string>

#include "common/file_name.h"
#include "common/scoped_handles_win.h"
#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "document_files_win.h"
#include "office_command.h"
#include "wine_bridge_win.h"

namespace standin {
namespace {

std::wstring TemporaryFolder() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  return n > 0 && n <= MAX_PATH ? std::wstring(temp, n) : std::wstring(L".\\");
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

// A profile LibreOffice has started in once, kept for later instances to copy as their own:
// starting in an empty profile costs some 200 ms more. Only ever copied, never run in.
std::wstring SeedProfile() { return TemporaryFolder() + L"QuilloryStandin.profile"; }

// Whether a process of this program runs under that id; one that cannot be looked at (another
// user's) counts as running.
bool StandinRuns(DWORD id) {
  const quillory::ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  wchar_t image[MAX_PATH], own[MAX_PATH];
  DWORD size = MAX_PATH;
  const bool ours = QueryFullProcessImageNameW(process.Get(), 0, image, &size) &&
                    GetModuleFileNameW(nullptr, own, MAX_PATH) &&
                    CompareStringOrdinal(quillory::FileName(image).c_str(), -1, quillory::FileName(own).c_str(), -1,
                                         TRUE) == CSTR_EQUAL;
  return ours;
}

// An instance ended between two conversions keeps its folder (its watcher removes it only when
// the instance is ended during one): each instance's first conversion removes the folders of
// instances no longer running.
void RemoveFoldersOfEndedInstances() {
  WIN32_FIND_DATAW found;
  const quillory::ScopedFind search(FindFirstFileW((TemporaryFolder() + L"QuilloryStandin-*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    const std::wstring id = name.substr(std::size(L"QuilloryStandin-") - 1);
    if (id.empty() || id.find_first_not_of(L"0123456789") != std::wstring::npos || id.size() > 9) continue;
    const DWORD process = std::stoul(id);
    if (process != GetCurrentProcessId() && !StandinRuns(process)) RemoveTree(TemporaryFolder() + name);
  } while (FindNextFileW(search.Get(), &found));
}

}  // namespace

const std::wstring& OfficeFolder() {
  static const std::wstring folder = TemporaryFolder() + L"QuilloryStandin-" + std::to_wstring(GetCurrentProcessId());
  return folder;
}

// Made under a name of its own and then renamed, so another instance never copies half a seed.
void KeepSeedProfile() {
  const std::wstring seed = SeedProfile();
  if (PathExists(seed)) return;
  const std::wstring draft = seed + L"-" + std::to_wstring(GetCurrentProcessId());
  RemoveTree(draft);
  if (!CopyTree(OfficeFolder() + L"\\profile", draft) || !MoveFileExW(draft.c_str(), seed.c_str(), 0)) RemoveTree(draft);
}

bool PrepareOfficeFolder(bool seeded, std::string* reason) {
  const std::wstring& folder = OfficeFolder();
  if (!PathExists(folder)) RemoveFoldersOfEndedInstances();
  RemoveFolderTree(folder + L"\\in");
  RemoveFolderTree(folder + L"\\out");
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring profile = folder + L"\\profile";
  if (seeded && !PathExists(profile) && PathExists(SeedProfile() + L"\\user\\registrymodifications.xcu") &&
      !CopyTree(SeedProfile(), profile)) {
    RemoveTree(profile);  // a fresh one, then
  }
  for (const wchar_t* sub : {L"", L"\\profile", L"\\profile\\user", L"\\home", L"\\in", L"\\out"}) {
    const std::wstring path = folder + sub;
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      *reason = "its working folder \"" + quillory::Narrow(path) +
                "\" could not be made: " + quillory::SystemReason(GetLastError());
      return false;
    }
  }
  const std::wstring settings = folder + L"\\profile\\user\\registrymodifications.xcu";
  std::wstring why;
  if (!PathExists(settings) && !WriteWholeFile(settings, std::string(ProfileSettings()), &why)) {
    *reason = "LibreOffice's profile could not be written: " + quillory::Narrow(why);
    return false;
  }
  return true;
}

void RemoveOfficeFolder() {
  if (PathExists(OfficeFolder())) RemoveTree(OfficeFolder());
}

}  // namespace standin
