// Tests against the stand-in automation server: its journal and processes, and the document fixtures.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillory::test {

// A journal of the test's own: the stand-ins this process starts inherit its name (and a
// long idle time, so only "Quit" ends them within a test).
class StandinJournal {
 public:
  StandinJournal();
  ~StandinJournal();
  // The lines written so far, grouped by the process that wrote them, in order of start.
  std::vector<std::vector<std::string>> Calls(std::vector<DWORD>* pids = nullptr) const;
  // Waits until every process that wrote to the journal has exited.
  bool AllExited() const;
  std::string Text() const;

 private:
  std::wstring path_;
};

// Copies a file of tests/data into `folder`; returns the copy's path.
std::wstring CopyFixture(const std::wstring& fixture, const std::wstring& folder);

}  // namespace quillory::test
