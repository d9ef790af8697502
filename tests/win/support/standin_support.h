// Tests against the stand-in automation server: its journal, its processes, the document
// fixtures, and readers of the written templates that share no code with the stand-in.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillory::test {

struct JournalLine {
  DWORD pid;
  std::string text;
};

// A journal file of the test's own: the stand-ins this process starts inherit its name (and a
// long idle time, so only "Quit" ends them within a test's deadline).
class StandinJournal {
 public:
  StandinJournal();
  ~StandinJournal();
  std::vector<JournalLine> Lines() const;
  std::vector<std::string> Texts() const;  // without process ids
  std::set<DWORD> Processes() const;
  // Starts again with an empty journal.
  void Clear();
  // Waits until a line with this text has been written.
  bool WaitFor(const std::string& text, std::chrono::milliseconds deadline = std::chrono::seconds(30)) const;

 private:
  std::wstring path_;
};

// Waits until none of these processes runs any longer.
bool WaitUntilExited(const std::set<DWORD>& pids, std::chrono::milliseconds deadline = std::chrono::seconds(30));
// True when a process with this id runs the stand-in program now.
bool IsStandinRunning(DWORD pid);

// A file of tests/data, copied into `folder` under `name` (the fixture's own name when
// empty); returns the copy's path.
std::wstring CopyFixture(const std::wstring& fixture, const std::wstring& folder, const std::wstring& name = L"");
std::string ReadBytes(const std::wstring& path);

// The template flag (fDot) of a binary Word file: the FIB at the start of the WordDocument
// stream of its compound file. Empty when the file cannot be read as such.
std::optional<bool> BinaryTemplateFlag(const std::wstring& path);

// The names of a zip package's entries, and the bytes of one entry if it is stored
// (uncompressed) with a matching CRC; empty when absent or unreadable.
std::vector<std::string> ZipEntryNames(const std::wstring& path);
std::optional<std::string> StoredZipEntry(const std::wstring& path, const std::string& name);
// The content type of the main document part, read from [Content_Types].xml.
std::string MainPartContentType(const std::wstring& path);

}  // namespace quillory::test
