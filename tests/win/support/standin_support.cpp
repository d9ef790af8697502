#include "support/standin_support.h"

#include <tlhelp32.h>

#include <sstream>
#include <thread>

#include "platform/utf.h"

namespace quillory::test {
namespace {

uint16_t Le16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}
uint32_t Le32(const std::string& b, size_t at) { return Le16(b, at) | (uint32_t{Le16(b, at + 2)} << 16); }

// tests/data beside this file's folder, as Wine sees the source tree (drive Z: is "/").
std::wstring DataFolder() {
  std::string file = __FILE__;
  for (char& c : file) {
    if (c == '/') c = '\\';
  }
  if (!file.empty() && file[0] == '\\') file = "Z:" + file;
  const size_t tests = file.rfind("\\win\\support\\");
  return Widen(file.substr(0, tests) + "\\data");
}

}  // namespace

StandinJournal::StandinJournal() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  path_ = std::wstring(folder) + L"standin-journal-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  DeleteFileW(path_.c_str());
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", path_.c_str());
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_IDLE_SECONDS", L"300");
}

StandinJournal::~StandinJournal() {
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", nullptr);
  DeleteFileW(path_.c_str());
}

void StandinJournal::Clear() { DeleteFileW(path_.c_str()); }

std::vector<JournalLine> StandinJournal::Lines() const {
  std::vector<JournalLine> lines;
  std::istringstream in(ReadBytes(path_));
  std::string line;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    lines.push_back({static_cast<DWORD>(std::stoul(line.substr(0, tab))), line.substr(tab + 1)});
  }
  return lines;
}

std::vector<std::string> StandinJournal::Texts() const {
  std::vector<std::string> texts;
  for (const JournalLine& l : Lines()) texts.push_back(l.text);
  return texts;
}

std::set<DWORD> StandinJournal::Processes() const {
  std::set<DWORD> pids;
  for (const JournalLine& l : Lines()) pids.insert(l.pid);
  return pids;
}

bool StandinJournal::WaitFor(const std::string& text, std::chrono::milliseconds deadline) const {
  const auto end = std::chrono::steady_clock::now() + deadline;
  do {
    for (const JournalLine& l : Lines()) {
      if (l.text == text) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

bool IsStandinRunning(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  bool running = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == pid && _wcsicmp(entry.szExeFile, L"QuilloryStandin.exe") == 0) running = true;
  }
  CloseHandle(snapshot);
  return running;
}

bool WaitUntilExited(const std::set<DWORD>& pids, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    bool any = false;
    for (DWORD pid : pids) any = any || IsStandinRunning(pid);
    if (!any) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

std::wstring CopyFixture(const std::wstring& fixture, const std::wstring& folder, const std::wstring& name) {
  const std::wstring target = folder + L"\\" + (name.empty() ? fixture : name);
  CopyFileW((DataFolder() + L"\\" + fixture).c_str(), target.c_str(), FALSE);
  return target;
}

std::optional<bool> BinaryTemplateFlag(const std::wstring& path) {
  const std::string file = ReadBytes(path);
  if (file.size() < 512 || Le32(file, 0) != 0xE011CFD0u) return std::nullopt;
  const size_t sectorSize = size_t{1} << Le16(file, 0x1E);
  const uint32_t cutoff = Le32(file, 0x38);
  auto sectorAt = [&](uint32_t s) { return (size_t{s} + 1) * sectorSize; };
  // The FAT from the header's first 109 entries is enough for these small files.
  std::vector<uint32_t> fat;
  for (uint32_t i = 0; i < Le32(file, 0x2C) && i < 109; ++i) {
    const size_t at = sectorAt(Le32(file, 0x4C + 4 * i));
    for (size_t k = 0; k < sectorSize / 4 && at + 4 * k + 4 <= file.size(); ++k) fat.push_back(Le32(file, at + 4 * k));
  }
  uint32_t rootStart = 0, streamStart = 0, streamSize = 0;
  bool found = false;
  for (uint32_t s = Le32(file, 0x30), guard = 0; s < fat.size() && guard < 1000; s = fat[s], ++guard) {
    for (size_t e = sectorAt(s); e + 128 <= sectorAt(s) + sectorSize && e + 128 <= file.size(); e += 128) {
      std::wstring name;
      for (size_t i = 0; i + 2 < Le16(file, e + 0x40) && i < 64; i += 2) name.push_back(static_cast<wchar_t>(Le16(file, e + i)));
      if (file[e + 0x42] == 5) rootStart = Le32(file, e + 0x74);
      if (name == L"WordDocument") {
        streamStart = Le32(file, e + 0x74);
        streamSize = Le32(file, e + 0x78);
        found = true;
      }
    }
  }
  if (!found) return std::nullopt;
  size_t fib = 0;
  if (streamSize >= cutoff) {
    fib = sectorAt(streamStart);
  } else {
    size_t position = size_t{streamStart} * 64;
    uint32_t s = rootStart;
    for (; position >= sectorSize && s < fat.size(); position -= sectorSize) s = fat[s];
    fib = sectorAt(s) + position;
  }
  if (fib + 12 > file.size() || Le16(file, fib) != 0xA5EC) return std::nullopt;
  return (Le16(file, fib + 0x0A) & 1) != 0;
}

namespace {

// Walks the zip's central directory.
template <typename Visit>
bool ForEachZipEntry(const std::string& zip, Visit visit) {
  if (zip.size() < 22) return false;
  size_t end = zip.size() - 22;
  while (end > 0 && Le32(zip, end) != 0x06054b50u) --end;
  if (Le32(zip, end) != 0x06054b50u) return false;
  size_t at = Le32(zip, end + 16);
  for (uint16_t i = 0; i < Le16(zip, end + 10); ++i) {
    if (at + 46 > zip.size() || Le32(zip, at) != 0x02014b50u) return false;
    const std::string name = zip.substr(at + 46, Le16(zip, at + 28));
    visit(name, at);
    at += 46 + Le16(zip, at + 28) + Le16(zip, at + 30) + Le16(zip, at + 32);
  }
  return true;
}

}  // namespace

std::vector<std::string> ZipEntryNames(const std::wstring& path) {
  std::vector<std::string> names;
  ForEachZipEntry(ReadBytes(path), [&](const std::string& name, size_t) { names.push_back(name); });
  return names;
}

std::optional<std::string> StoredZipEntry(const std::wstring& path, const std::string& wanted) {
  const std::string zip = ReadBytes(path);
  std::optional<std::string> bytes;
  ForEachZipEntry(zip, [&](const std::string& name, size_t at) {
    if (name != wanted || Le16(zip, at + 10) != 0) return;
    const uint32_t size = Le32(zip, at + 20);
    const size_t local = Le32(zip, at + 42);
    const size_t data = local + 30 + Le16(zip, local + 26) + Le16(zip, local + 28);
    if (data + size > zip.size()) return;
    std::string content = zip.substr(data, size);
    using RtlCrc = DWORD(WINAPI*)(DWORD, const BYTE*, INT);
    auto crc32 = reinterpret_cast<RtlCrc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlComputeCrc32")));
    if (crc32 && crc32(0, reinterpret_cast<const BYTE*>(content.data()), static_cast<INT>(content.size())) !=
                     Le32(zip, at + 16)) {
      return;
    }
    bytes = std::move(content);
  });
  return bytes;
}

std::string MainPartContentType(const std::wstring& path) {
  const std::optional<std::string> types = StoredZipEntry(path, "[Content_Types].xml");
  if (!types) return "(no readable [Content_Types].xml)";
  const std::string part = "PartName=\"/word/document.xml\"";
  const size_t at = types->find(part);
  if (at == std::string::npos) return "(no main part)";
  const size_t close = types->find("/>", at);
  const std::string element = types->substr(at, close - at);
  const std::string key = "ContentType=\"";
  const size_t type = element.find(key);
  if (type == std::string::npos) return "(no content type)";
  return element.substr(type + key.size(), element.find('"', type + key.size()) - type - key.size());
}

}  // namespace quillory::test
