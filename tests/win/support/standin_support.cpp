#include "support/standin_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "common/word_prog_id.h"
#include "platform/dispatch.h"

namespace quillory::test {

StandinJournal::StandinJournal() {
  const std::wstring name = L"standin-journal-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  path_ = (std::filesystem::temp_directory_path() / name).wstring();
  DeleteFileW(path_.c_str());
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", path_.c_str());
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_IDLE_SECONDS", L"300");
}

StandinJournal::~StandinJournal() {
  if (::testing::Test::HasFailure()) std::printf("stand-in journal:\n%s", Text().c_str());
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", nullptr);
  DeleteFileW(path_.c_str());
}

std::string StandinJournal::Text() const { return FileBytes(path_); }

std::vector<std::vector<std::string>> StandinJournal::Calls(std::vector<DWORD>* pids) const {
  std::vector<DWORD> order;
  std::vector<std::vector<std::string>> calls;
  std::istringstream in(Text());
  for (std::string line; std::getline(in, line);) {  // "pid<TAB>text"
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const DWORD pid = std::stoul(line.substr(0, tab));
    const size_t i = std::find(order.begin(), order.end(), pid) - order.begin();
    if (i == order.size()) order.push_back(pid);
    calls.resize(order.size());
    calls[i].push_back(line.substr(tab + 1));
  }
  if (pids) *pids = order;
  return calls;
}

bool StandinJournal::AllExited() const {
  std::vector<DWORD> pids;
  Calls(&pids);
  for (DWORD pid : pids) {
    ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));  // none: gone already
    if (process && WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) return false;
  }
  return true;
}

void StandinJournal::EndAll() const {
  do {
    std::vector<DWORD> pids;
    Calls(&pids);
    for (DWORD pid : pids) TerminateProcess(ScopedHandle(OpenProcess(PROCESS_TERMINATE, FALSE, pid)).Get(), 1);
  } while (!AllExited());
}

bool StandinJournal::WaitFor(const std::string& text, const std::function<bool()>& giveUp) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (Text().find(text) == std::string::npos) {
    if ((giveUp && giveUp()) || std::chrono::steady_clock::now() >= until) return false;
    Sleep(20);
  }
  return true;
}

bool Runs(DWORD pid) {
  ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

UserValues::~UserValues() {
  for (const std::wstring& name : set_) RegDeleteKeyValueW(HKEY_CURRENT_USER, key_, name.c_str());
}

bool UserValues::Text(const wchar_t* name, const std::wstring& text) {
  return Set(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool UserValues::Number(const wchar_t* name, DWORD value) { return Set(name, REG_DWORD, &value, sizeof(value)); }

bool UserValues::Set(const wchar_t* name, DWORD type, const void* data, size_t bytes) {
  set_.push_back(name);  // the key is made when missing
  return RegSetKeyValueW(HKEY_CURRENT_USER, key_, name, type, data, static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

std::wstring CopyFixture(const std::wstring& fixture, const std::wstring& folder, const std::wstring& name) {
  // tests/data as Wine sees the source tree (drive Z: is "/").
  const std::string source = __FILE__;
  const std::string data = (source[0] == '/' ? "Z:" : "") + source.substr(0, source.rfind("win/support/")) + "data/";
  const std::wstring copy = folder + L"\\" + (name.empty() ? fixture : name);
  CopyFileW((Widen(data) + fixture).c_str(), copy.c_str(), FALSE);
  return copy;
}

void StandinTest::SetUp() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kStandinHazards);
  ASSERT_TRUE(hazards.Text(L"HangInOpen", L"HANG.D?C") && hazards.Text(L"ExitInOpen", L"Dies*"));
}

void StandinTest::TearDown() { EXPECT_TRUE(journal.AllExited()) << "a stand-in process was left running"; }

std::string StandinTest::Add(const std::wstring& fixture, const std::wstring& name) {
  return Narrow(CopyFixture(fixture, folder.Path(), name));
}

ActiveWord::ActiveWord() {
  CLSID clsid{};
  ok = SUCCEEDED(CLSIDFromProgID(kWordProgId, &clsid)) &&
       SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&word))) &&
       SUCCEEDED(RegisterActiveObject(word.Get(), clsid, ACTIVEOBJECT_STRONG, &cookie));
}

ActiveWord::~ActiveWord() {
  if (cookie) RevokeActiveObject(cookie, nullptr);
  if (word) CallMethod(word.Get(), L"Quit");
}

}  // namespace quillory::test
