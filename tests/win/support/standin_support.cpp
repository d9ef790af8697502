#include "support/standin_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/utf_win.h"

namespace quillory::test {
namespace {

// The little-endian number at `at`; past the end of the bytes all ones, which ends any chain.
uint32_t Le(const std::string& b, size_t at, int bytes = 4) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = value << 8 | (at + i < b.size() ? static_cast<uint8_t>(b[at + i]) : 0xFFu);
  }
  return value;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
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

std::string StandinJournal::Text() const { return ReadBytes(path_); }

std::vector<std::vector<std::string>> StandinJournal::Calls(std::vector<DWORD>* pids) const {
  std::vector<DWORD> order;
  std::vector<std::vector<std::string>> calls;
  std::istringstream in(Text());
  for (std::string line; std::getline(in, line);) {  // "pid<TAB>text"
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const DWORD pid = std::stoul(line.substr(0, tab));
    const size_t i = std::find(order.begin(), order.end(), pid) - order.begin();
    if (i == order.size()) order.push_back(pid), calls.emplace_back();
    calls[i].push_back(line.substr(tab + 1));
  }
  if (pids) *pids = order;
  return calls;
}

bool StandinJournal::AllExited() const {
  std::vector<DWORD> pids;
  Calls(&pids);
  for (DWORD pid : pids) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) continue;  // gone already
    const DWORD waited = WaitForSingleObject(process, 30000);
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0) return false;
  }
  return true;
}

bool IsRunning(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  const bool running = process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  if (process) CloseHandle(process);
  return running;
}

std::wstring CopyFixture(const std::wstring& fixture, const std::wstring& folder) {
  // tests/data as Wine sees the source tree (drive Z: is "/").
  const std::string source = __FILE__;
  const std::string data = (source[0] == '/' ? "Z:" : "") + source.substr(0, source.rfind("win/support/")) + "data/";
  const std::wstring copy = folder + L"\\" + fixture;
  CopyFileW((Widen(data) + fixture).c_str(), copy.c_str(), FALSE);
  return copy;
}

std::optional<bool> BinaryTemplateFlag(const std::wstring& path) {
  const std::string f = ReadBytes(path);
  if (Le(f, 0) != 0xE011CFD0u) return std::nullopt;
  const size_t sectorSize = size_t{1} << Le(f, 0x1E, 2);
  auto at = [&](uint32_t sector) { return (size_t{sector} + 1) * sectorSize; };
  // The first FAT sector covers every sector of these small files.
  auto next = [&](uint32_t sector) { return Le(f, at(Le(f, 0x4C)) + 4 * size_t{sector}); };
  const std::string name("W\0o\0r\0d\0D\0o\0c\0u\0m\0e\0n\0t\0\0\0", 26);
  const size_t root = at(Le(f, 0x30));  // the first directory entry
  uint32_t directory = Le(f, 0x30);
  for (int guard = 0; directory < 0xFFFFFFFAu && guard < 64; directory = next(directory), ++guard) {
    for (size_t e = at(directory); e < at(directory) + sectorSize; e += 128) {
      if (f.compare(e, name.size(), name) != 0) continue;
      size_t fib = at(Le(f, e + 0x74));
      if (Le(f, e + 0x78) < Le(f, 0x38)) {  // a small stream: in 64-byte pieces of the root's stream
        size_t offset = Le(f, e + 0x74) * size_t{64};
        uint32_t sector = Le(f, root + 0x74);
        for (; offset >= sectorSize; offset -= sectorSize) sector = next(sector);
        fib = at(sector) + offset;
      }
      if (Le(f, fib, 2) != 0xA5EC) return std::nullopt;
      return (Le(f, fib + 0x0A, 2) & 1) != 0;
    }
  }
  return std::nullopt;
}

std::map<std::string, std::string> ZipEntries(const std::wstring& path) {
  const std::string zip = ReadBytes(path);
  std::map<std::string, std::string> entries;
  size_t end = zip.size() < 22 ? 0 : zip.size() - 22;  // the end of the central directory
  while (end > 0 && Le(zip, end) != 0x06054B50u) --end;
  size_t at = Le(zip, end + 16);
  for (uint32_t n = Le(zip, end + 10, 2); n > 0 && Le(zip, at) == 0x02014B50u; --n) {
    const size_t nameSize = Le(zip, at + 28, 2), local = Le(zip, at + 42);
    const size_t data = local + 30 + Le(zip, local + 26, 2) + Le(zip, local + 28, 2);
    std::string& bytes = entries[zip.substr(at + 46, nameSize)];
    if (Le(zip, at + 10, 2) == 0 && data <= zip.size()) bytes = zip.substr(data, Le(zip, at + 20));
    at += 46 + nameSize + Le(zip, at + 30, 2) + Le(zip, at + 32, 2);
  }
  return entries;
}

}  // namespace quillory::test
