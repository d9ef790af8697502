// Tests against the stand-in automation server: its journal and processes, and the document fixtures.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wrl/client.h>

#include "common/utf_win.h"  // documents are named in UTF-8, as the run names them
#include "support/processes.h"
#include "support/temp_folder.h"

namespace quillory::test {

// A journal of the test's own: the stand-ins this process starts inherit its name (and a
// long idle time, so only "Quit" ends them within a test).
class StandinJournal {
 public:
  StandinJournal();
  ~StandinJournal();  // shows the journal when the test has failed
  // The lines written so far, grouped by the process that wrote them, in order of start.
  std::vector<std::vector<std::string>> Calls(std::vector<DWORD>* pids = nullptr) const;
  // Waits until every process that wrote to the journal has exited.
  bool AllExited() const;
  // Ends every process that wrote to the journal (as a crash would, or a test done with one
  // that hangs) until all have exited.
  void EndAll() const;
  // Waits up to a minute until the journal holds `text`, or until `giveUp`; whether it does.
  bool WaitFor(const std::string& text, const std::function<bool()>& giveUp = {}) const;
  std::string Text() const;

 private:
  std::wstring path_;
};

// Whether the process still runs.
bool Runs(DWORD pid);

// The key of the values that make the stand-in misbehave (see standin/hazards_win.h).
inline constexpr wchar_t kStandinHazards[] = L"Software\\Quillory\\Standin";

// Values under a key of HKEY_CURRENT_USER (the stand-in's hazards, or the user's settings);
// every value set is removed when the scope ends, however it ends.
class UserValues {
 public:
  explicit UserValues(const wchar_t* key = kStandinHazards) : key_(key) {}
  UserValues(const UserValues&) = delete;
  UserValues& operator=(const UserValues&) = delete;
  ~UserValues();
  bool Text(const wchar_t* name, const std::wstring& text);  // REG_SZ
  bool Number(const wchar_t* name, DWORD value);             // REG_DWORD

 private:
  bool Set(const wchar_t* name, DWORD type, const void* data, size_t bytes);
  const wchar_t* key_;
  std::vector<std::wstring> set_;
};

// Copies a file of tests/data into `folder`, under its own name or `name`; returns the copy's path.
std::wstring CopyFixture(const std::wstring& fixture, const std::wstring& folder, const std::wstring& name = {});

// A test against the stand-in: its journal, a folder of documents, the stand-in's hazards (none
// left over from a test that crashed; "hang.doc" hangs in Open and "dies*" ends the server
// there), the user's settings, and nothing of the stand-in left running at the end.
class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A copy of a fixture in the folder; its path in UTF-8.
  std::string Add(const std::wstring& fixture, const std::wstring& name = {});
  StandinJournal journal;
  TempFolder folder;
  UserValues hazards, settings{L"Software\\Quillory"};
};

// A stand-in instance registered as the running word processor, as a user's would be, for the
// scope's life; it is told to quit at the end.
struct ActiveWord {
  ActiveWord();
  ~ActiveWord();
  Microsoft::WRL::ComPtr<IDispatch> word;
  DWORD cookie = 0;
  bool ok = false;
};

}  // namespace quillory::test
