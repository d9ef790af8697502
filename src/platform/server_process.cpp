#include "platform/server_process.h"

#include <objbase.h>
#include <wrl/client.h>
#include <tlhelp32.h>

#include <algorithm>

#include "common/file_name.h"
#include "common/wine_win.h"
#include "platform/objref.h"
#include "common/scoped_handles_win.h"

namespace quillory {
namespace {

constexpr DWORD kEndWaitMs = 5000;

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The long form of a path (short 8.3 names are how servers are often registered).
std::wstring LongPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
    if (length == 0) return path;
    if (length < full.size()) return full.substr(0, length);
    full.resize(length);
  }
}

// The program file of a LocalServer32 command line: quoted, or up to ".exe", or up to a space.
std::wstring ProgramOfCommandLine(const std::wstring& line) {
  if (!line.empty() && line.front() == L'"') return line.substr(1, line.find(L'"', 1) - 1);
  for (size_t at = line.find(L'.'); at != std::wstring::npos; at = line.find(L'.', at + 1)) {
    if (SameText(line.substr(at, 4), L".exe")) return line.substr(0, at + 4);
  }
  return line.substr(0, line.find(L' '));
}

std::wstring RegisteredProgram(const wchar_t* progId) {
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(progId, &clsid))) return {};
  wchar_t guid[40] = {};
  StringFromGUID2(clsid, guid, 40);
  const std::wstring key = L"CLSID\\" + std::wstring(guid) + L"\\LocalServer32";
  wchar_t line[2 * MAX_PATH] = {};
  DWORD size = sizeof line;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, line,
                   &size) != ERROR_SUCCESS) {
    return {};
  }
  const std::wstring program = ProgramOfCommandLine(line);
  return program.empty() ? program : LongPath(program);
}

// The processes whose file name matches `image`'s, by id.
std::vector<DWORD> ProcessesNamed(const std::wstring& image) {
  std::vector<DWORD> ids;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  const std::wstring name = FileName(image);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (SameText(FileName(entry.szExeFile), name)) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

bool StartTime(HANDLE process, FILETIME* created) {
  FILETIME exited, kernel, user;
  return GetProcessTimes(process, created, &exited, &kernel, &user) != FALSE;
}

std::wstring ImageOf(HANDLE process) {
  wchar_t path[2 * MAX_PATH];
  DWORD size = static_cast<DWORD>(std::size(path));
  if (!QueryFullProcessImageNameW(process, 0, path, &size)) return {};
  return LongPath(std::wstring(path, size));
}

// Windows 8 and later decode a proxy into its server's process id (documented for debuggers).
// Wine does not, and older systems lack the call.
std::optional<DWORD> DecodedServerId(IUnknown* object) {
  using Decode = HRESULT(WINAPI*)(DWORD, UINT64, PServerInformation);
  static const auto decode = reinterpret_cast<Decode>(reinterpret_cast<void (*)()>(
      RunningUnderWine() ? nullptr : GetProcAddress(GetModuleHandleW(L"combase.dll"), "CoDecodeProxy")));
  ServerInformation information{};
  if (!decode || FAILED(decode(GetCurrentProcessId(), reinterpret_cast<UINT64>(object), &information))) {
    return std::nullopt;
  }
  return information.dwServerPid;
}

// The IPID of the standard reference COM marshals for the object. The reference is taken back
// at once, so the server keeps no count for it.
std::optional<Ipid> MarshalledIpid(IUnknown* object) {
  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return std::nullopt;
  if (FAILED(CoMarshalInterface(stream.Get(), IID_IUnknown, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL))) {
    return std::nullopt;
  }
  std::optional<Ipid> ipid;
  HGLOBAL memory = nullptr;
  if (SUCCEEDED(GetHGlobalFromStream(stream.Get(), &memory))) {
    GlobalLockScope bytes(memory);
    if (bytes.Data()) ipid = ReadIpid(std::string_view(static_cast<const char*>(bytes.Data()), bytes.Size()));
  }
  const LARGE_INTEGER start{};
  if (SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) CoReleaseMarshalData(stream.Get());
  return ipid;
}

}  // namespace

ServerProcessFinder::ServerProcessFinder(const wchar_t* progId) : image_(RegisteredProgram(progId)) {
  GetSystemTimeAsFileTime(&startedAt_);
  if (!image_.empty()) before_ = ProcessesNamed(image_);
}

std::optional<ServerProcess> ServerProcessFinder::ServingProcess(IUnknown* object) const {
  if (image_.empty() || !object) return std::nullopt;
  const std::optional<DWORD> exact = DecodedServerId(object);
  std::optional<uint16_t> bits;
  if (!exact) {
    const std::optional<Ipid> ipid = MarshalledIpid(object);
    if (!ipid) return std::nullopt;
    bits = ProcessIdBits(*ipid, RunningUnderWine() ? IpidLayout::kWine : IpidLayout::kWindows);
  }
  std::optional<ServerProcess> found;
  for (DWORD id : ProcessesNamed(image_)) {
    if (exact ? id != *exact : static_cast<uint16_t>(id) != *bits) continue;
    if (std::find(before_.begin(), before_.end(), id) != before_.end()) continue;
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    ServerProcess candidate{id, {}};
    if (!process || !StartTime(process.Get(), &candidate.created)) continue;
    if (CompareFileTime(&candidate.created, &startedAt_) < 0) continue;
    if (!SameText(ImageOf(process.Get()), image_)) continue;
    if (found) return std::nullopt;  // two share the id's low bits: which one serves cannot be told
    found = candidate;
  }
  return found;
}

ScopedHandle OpenServerProcess(const ServerProcess& target) {
  ScopedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target.id));
  FILETIME created{};
  if (!process || !StartTime(process.Get(), &created) || CompareFileTime(&created, &target.created) != 0 ||
      WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
    return {};
  }
  return process;
}

bool EndServerProcess(const ServerProcess& target) {
  ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target.id));
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process: it is gone
  FILETIME created{};
  if (!StartTime(process.Get(), &created) || CompareFileTime(&created, &target.created) != 0) {
    return true;  // the id now belongs to another process: ours is gone
  }
  if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) return true;
  TerminateProcess(process.Get(), 1);
  return WaitForSingleObject(process.Get(), kEndWaitMs) == WAIT_OBJECT_0;
}

}  // namespace quillory
