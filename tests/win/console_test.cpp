// Quillory.com as a script runs it, against the stand-in: the documents a command line names,
// the line for each and the summary (UTF-8 redirected, UTF-16 on a console), the report read
// back, every exit code, and Ctrl+C ending the document in hand with nothing left running.
#include <filesystem>
#include <set>
#include <sstream>

#include <gmock/gmock.h>

#include "conversion/conversion_run.h"
#include "conversion/word_instance_win.h"
#include "platform/dispatch.h"
#include "support/standin_support.h"

namespace quillory::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kResume = "R\u00e9sum\u00e9 \u03a9mega";  // a name outside any code page

struct Ended { DWORD code = 0; std::string out, err; };

// Starts Quillory.com in `folder` with its output and errors on the (inheritable) handles given.
ScopedHandle Start(const std::string& arguments, const std::wstring& folder, HANDLE out, HANDLE err, DWORD flags) {
  ScopedHandle process;
  StartProgram(L"\"" + ApplicationFolder() + L"\\Quillory.com\" " + Widen(arguments), &process, nullptr, folder, out, err,
               flags);
  return process;
}

// Runs Quillory.com in `folder` to its end, its output and errors redirected to files (as to a
// pipe: anything but a console).
Ended RunConsole(const std::string& arguments, const std::wstring& folder) {
  TempFolder output;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const auto file = [&](const wchar_t* name) {
    return ScopedHandle(CreateFileW(output.File(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
  };
  ScopedHandle out = file(L"out"), err = file(L"err");
  const ScopedHandle process = Start(arguments, folder, out.Get(), err.Get(), CREATE_NO_WINDOW);
  DWORD code = 99;
  if (process && WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
  if (code == STILL_ACTIVE || code == 99) TerminateProcess(process.Get(), 1);  // never left running
  out.Reset(), err.Reset();
  return {code, FileBytes(output.File(L"out")), FileBytes(output.File(L"err"))};
}

// The report's rows without their last column (the seconds), after its BOM and header.
std::vector<std::string> ReportRows(const std::wstring& path) {
  const std::string text = FileBytes(path);
  EXPECT_THAT(text, StartsWith("\xEF\xBB\xBF" "document,template,result,reason,seconds\r\n"));
  std::vector<std::string> rows;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) rows.push_back(line.substr(0, line.rfind(',')));
  return rows;
}

class ConsoleRun : public StandinTest {
 protected:
  std::string At(const std::string& relative) const { return Narrow(folder.File(Widen(relative))); }
};

TEST_F(ConsoleRun, TreesPatternsAndMissingPathsRunInOrderWithALineEach) {
  std::filesystem::create_directories(folder.File(L"tree\\sub"));
  const std::string resume = Add(L"letter.doc", Widen("tree\\" + kResume + ".doc"));
  const std::string letter = Add(L"letter.doc", L"tree\\sub\\letter.doc");
  Add(L"letter.doc", L"tree\\~lock.doc");  // the word processor's own: never taken
  CreateDirectoryW(folder.File(L"tree\\old.doc").c_str(), nullptr);  // a folder: never a document
  // Relative paths are taken from the current folder and made full.
  const Ended first = RunConsole("tree missing.doc", folder.Path());
  EXPECT_EQ(first.code, 1u);
  EXPECT_EQ(first.out, "1/3 converted " + resume + "\r\n2/3 converted " + letter + "\r\n3/3 failed " +
                           At("missing.doc") + ": The file does not exist.\r\n" +
                           "2 converted, 1 failed, 0 skipped, 0 not tried.\r\n");
  EXPECT_EQ(first.err, "");
  EXPECT_TRUE(FileExists(folder.File(Widen("tree\\" + kResume + ".dot"))));

  // Their templates are newer now: /newer skips both, found this time by a pattern and by name.
  // The word processor seems open: a script cannot answer, so the warning goes to errors.
  Ended second;
  {
    ActiveWord active;
    ASSERT_TRUE(active.ok);
    second = RunConsole("-NEWER tree\\*.DOC " + letter, folder.Path());
  }
  EXPECT_EQ(second.code, 0u);
  const std::string newer = ": Its template is newer than the document.\r\n";
  EXPECT_EQ(second.out, "1/2 skipped " + resume + newer + "2/2 skipped " + letter + newer +
                            "0 converted, 0 failed, 2 skipped, 0 not tried.\r\n");
  EXPECT_EQ(second.err, "Word may be open. It is recommended that you close Word first. The run goes on: a command "
                        "line cannot answer.\r\n");
  EXPECT_EQ(journal.Calls().size(), 3u);  // one instance for each converted document, and the open one
}

TEST_F(ConsoleRun, AWrongCommandLineOrReportFileConvertsNothingAndExitsWith2) {
  const Ended help = RunConsole("/?", folder.Path());
  EXPECT_EQ(help.code, 0u);
  EXPECT_THAT(help.out, HasSubstr("\r\nExit codes:\r\n  0  every document"));

  Add(L"letter.doc", L"a.doc");
  CreateDirectoryW(folder.File(L"empty").c_str(), nullptr);
  const struct { std::string arguments, error; } wrong[] = {
      {"/limit:0 a.doc", "The option /limit:0 needs a whole number of seconds"},
      {"/report:new.csv empty nothing*.doc", "Nothing to convert: "},
      {"/report:gone\\r.csv a.doc", "The report file " + At("gone\\r.csv") + " cannot be written: "},
      {"/out:a.doc a.doc", "The option /out:a.doc names the file " + At("a.doc") + ", not a folder."},
      {"/resume /report:a.doc a.doc", "The report file " + At("a.doc") + " cannot be resumed: It is not a report"},
  };
  for (const auto& c : wrong) {
    const Ended ended = RunConsole(c.arguments, folder.Path());
    EXPECT_EQ(ended.code, 2u) << c.arguments;
    EXPECT_THAT(ended.err, StartsWith(c.error));
    EXPECT_THAT(ended.err, HasSubstr("Quillory.com /? "));
    EXPECT_EQ(ended.out, "");
  }
  EXPECT_FALSE(FileExists(folder.File(L"a.dot")) || FileExists(folder.File(L"new.csv")));
  EXPECT_TRUE(journal.Calls().empty());
}

// Macros and modes: a .dotx leaves macros out and says so, a .dotm keeps them; /upgrade converts
// only a document in an older mode.
TEST_F(ConsoleRun, MacrosAreKeptInADotmOrNamedAndUpgradeConvertsOnlyAnOlderMode) {
  const std::string letter = Add(L"letter.doc"), report = Add(L"report.docx"), macros = Add(L"macros.docm");
  const Ended dotx = RunConsole("/dotx /upgrade letter.doc report.docx macros.docm", folder.Path());
  EXPECT_EQ(dotx.code, 0u) << dotx.err;
  EXPECT_EQ(dotx.out, "1/3 converted " + letter + ": Upgraded from compatibility mode 11.\r\n2/3 converted " + report +
                          "\r\n3/3 converted " + macros + ": " + kMacrosNotKeptText + "\r\n" +
                          "3 converted, 0 failed, 0 skipped, 0 not tried.\r\n"
                          "1 template lost its macros, which a .dotx template cannot hold.\r\n");
  const std::string calls = journal.Text();
  size_t converts = 0;
  for (size_t at = calls.find("call Convert("); at != std::string::npos; at = calls.find("call Convert(", at + 1)) ++converts;
  EXPECT_EQ(converts, 1u);  // the .doc's alone
  EXPECT_EQ(RunConsole("/dotm macros.docm", folder.Path()).code, 0u);
  EXPECT_NE(FileBytes(folder.File(L"macros.dotm")).find("vbaProject.bin"), std::string::npos);
}

TEST_F(ConsoleRun, KilledPartWayItsReportHoldsEveryEndedDocumentAndResumeConvertsOnlyTheRest) {
  const std::string a = Add(L"letter.doc", L"a.doc"), b = Add(L"letter.doc", L"b.doc");
  const std::string hang = Add(L"letter.doc", L"hang.doc"), later = Add(L"letter.doc", L"later.doc");
  // A report that is not there yet is begun, so a nightly task may always say /resume.
  const ScopedHandle process = Start("/report:r.csv /resume a.doc b.doc hang.doc later.doc", folder.Path(), nullptr,
                                     nullptr, CREATE_NO_WINDOW);
  ASSERT_TRUE(process);
  journal.WaitFor("hang.doc\"");
  ASSERT_TRUE(TerminateProcess(process.Get(), 9));
  WaitForSingleObject(process.Get(), 10000);
  journal.EndAll();  // ended from outside, the program could end none of its instances
  const std::vector<std::string> ended = {a + "," + At("a.dot") + ",converted,", b + "," + At("b.dot") + ",converted,"};
  EXPECT_EQ(ReportRows(folder.File(L"r.csv")), ended);

  // The hanging document is gone now: it fails, and only later.doc goes to an instance.
  DeleteFileW(Widen(hang).c_str());
  const size_t before = journal.Calls().size();
  const Ended resumed = RunConsole("/report:r.csv /resume a.doc b.doc hang.doc later.doc", folder.Path());
  EXPECT_EQ(resumed.code, 1u);
  EXPECT_EQ(resumed.out, "2 documents were done by an earlier run and are left out.\r\n1/2 failed " + hang +
                             ": The file does not exist.\r\n2/2 converted " + later +
                             "\r\n1 converted, 1 failed, 0 skipped, 0 not tried.\r\n");
  std::vector<std::string> all = ended;
  all.insert(all.end(), {hang + "," + At("hang.dot") + ",failed,The file does not exist.",
                         later + "," + At("later.dot") + ",converted,"});
  EXPECT_EQ(ReportRows(folder.File(L"r.csv")), all);
  EXPECT_EQ(journal.Calls().size(), before + 1);
}

// A tree under /out, a document making a template another makes, a folder there that cannot be made.
TEST_F(ConsoleRun, OutMirrorsTheTreeAndNeverWritesOneTemplateTwiceWhileListAndSharesStartNothing) {
  std::filesystem::create_directories(folder.File(L"tree\\sub"));
  const std::string top = Add(L"letter.doc", L"tree\\top.doc"), sub = Add(L"letter.doc", L"tree\\sub\\letter.doc");
  const std::string rtf = Add(L"letter.rtf", L"tree\\TOP.rtf");
  const std::string collision = ": Its template " + At("out\\TOP.dot") + " is made from " + top + " in this run.";
  const std::vector<std::string> lines = {top + " -> " + At("out\\top.dot"), sub + " -> " + At("out\\sub\\letter.dot"),
                                          rtf + " -> " + At("out\\TOP.dot") + collision};

  // A listing says where each template would go and what would become of it, and does nothing.
  const Ended listed = RunConsole("/list /out:out /report:r.csv tree tree\\TOP.rtf", folder.Path());
  EXPECT_EQ(listed.code, 1u);
  EXPECT_EQ(listed.out, "1/3 convert " + lines[0] + "\r\n2/3 convert " + lines[1] + "\r\n3/3 fail " + lines[2] +
                            "\r\n2 to convert, 0 to skip, 1 to fail.\r\n");
  EXPECT_FALSE(FileExists(folder.File(L"out")) || FileExists(folder.File(L"r.csv")));
  // Two shares of the tree take every document once between them.
  std::multiset<std::string> shared;
  for (const char* share : {"/shard:1/2", "/shard:2/2"}) {
    std::istringstream out(RunConsole("/list " + std::string(share) + " tree tree\\TOP.rtf", folder.Path()).out);
    for (std::string line; std::getline(out, line);) {
      if (line.find(" -> ") != std::string::npos) shared.insert(line.substr(line.find(' ', line.find(' ') + 1) + 1));
    }
  }
  EXPECT_EQ(shared.size(), 3u);
  EXPECT_EQ(std::set<std::string>(shared.begin(), shared.end()).size(), 3u);
  EXPECT_TRUE(journal.Calls().empty());

  const Ended run = RunConsole("/out:out tree tree\\TOP.rtf", folder.Path());
  EXPECT_EQ(run.code, 1u);
  EXPECT_EQ(run.out, "1/3 converted " + top + "\r\n2/3 converted " + sub + "\r\n3/3 failed " + rtf + collision +
                         "\r\n2 converted, 1 failed, 0 skipped, 0 not tried.\r\n");
  EXPECT_TRUE(FileExists(folder.File(L"out\\top.dot")) && FileExists(folder.File(L"out\\sub\\letter.dot")));
  EXPECT_EQ(journal.Calls().size(), 2u);
  // The templates' own tree is never searched; a folder that cannot be made fails its document.
  folder.Write(L"tree\\blocked\\sub");
  Add(L"letter.doc", L"tree\\blocked\\old.doc");
  EXPECT_THAT(RunConsole("/list /out:tree\\blocked tree", folder.Path()).out,
              HasSubstr("2/2 fail " + sub + " -> " + At("tree\\blocked\\sub\\letter.dot") +
                        ": The folder for its template cannot be made: " + At("tree\\blocked\\sub") + " is a file."));
  const Ended blocked = RunConsole("/out:tree\\blocked\\ tree", folder.Path());
  EXPECT_EQ(blocked.code, 1u);
  EXPECT_THAT(blocked.out, HasSubstr("1/2 converted " + top + "\r\n2/2 failed " + sub + ": " + At("tree\\blocked\\sub") + ": "));
}

// Takes "Word.Application" out of the machine's classes for the scope's life (the prefix's
// registration is made afresh before each test run should a crash leave it out).
struct ProgIdHidden {
  ProgIdHidden() {
    for (auto& [key, value] : saved) {
      wchar_t text[256] = {};
      DWORD size = sizeof text - sizeof(wchar_t);
      ok = ok && RegGetValueW(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS;
      value = text;
    }
    ok = ok && RegDeleteTreeW(HKEY_LOCAL_MACHINE, saved[0].first) == ERROR_SUCCESS;
  }
  ~ProgIdHidden() {
    for (const auto& [key, value] : saved) {
      if (ok) RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, nullptr, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
    }
  }
  std::pair<const wchar_t*, std::wstring> saved[2] = {{L"Software\\Classes\\Word.Application", {}},
                                                      {L"Software\\Classes\\Word.Application\\CLSID", {}}};
  bool ok = true;
};

TEST_F(ConsoleRun, WithoutTheWordProcessorNothingIsTriedAndTheExitCodeIs3) {
  Add(L"letter.doc", L"a.doc");
  Ended ended;
  {
    ProgIdHidden hidden;
    ASSERT_TRUE(hidden.ok);
    ended = RunConsole("a.doc", folder.Path());
  }
  EXPECT_EQ(ended.code, 3u);
  EXPECT_EQ(ended.err, std::string(kWordNotInstalledText) + "\r\n");
  EXPECT_EQ(ended.out, "0 converted, 0 failed, 0 skipped, 1 not tried.\r\n");
}

// The whole text of the console's screen buffer, row after row.
std::wstring ScreenText(HANDLE screen) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(screen, &info);
  std::wstring text(static_cast<size_t>(info.dwSize.X) * (info.dwCursorPosition.Y + 1), L' ');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), COORD{0, 0}, &read);
  text.resize(read);
  return text;
}

TEST_F(ConsoleRun, OnAConsoleNamesShowAsTheyAreAndCtrlCEndsTheDocumentInHandWithNothingLeftRunning) {
  const std::string resume = Add(L"letter.doc", Widen(kResume + ".doc"));
  Add(L"letter.doc", L"hang.doc"), Add(L"letter.doc", L"later.doc");
  // A console of the test's own, shared with the program; Ctrl+C reaches every process on it.
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  SetConsoleOutputCP(437);  // as many a console is: UTF-8 bytes would show garbled
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  ScopedHandle screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inherit, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(screen);
  const ScopedHandle process =
      Start("/report:r.csv \"" + kResume + ".doc\" hang.doc later.doc", folder.Path(), screen.Get(), screen.Get(), 0);
  ASSERT_TRUE(process);
  // Not before: a child inherits the choice to ignore Ctrl+C.
  SetConsoleCtrlHandler(nullptr, TRUE);

  // Once the word processor hangs in Open of hang.doc, Ctrl+C.
  journal.WaitFor("hang.doc\"", [&] { return WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT; });
  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  EXPECT_EQ(WaitForSingleObject(process.Get(), 60000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  EXPECT_EQ(code, 4u);
  const std::string shown = Narrow(ScreenText(screen.Get()));
  screen.Reset();
  FreeConsole();
  SetConsoleCtrlHandler(nullptr, FALSE);

  EXPECT_THAT(shown, HasSubstr("1/3 converted " + resume)) << shown;
  EXPECT_THAT(shown, HasSubstr("1 converted, 0 failed, 0 skipped, 2 not tried."));
  EXPECT_EQ(journal.Calls().size(), 3u);  // the third, started ahead for later.doc, was told to quit
}

}  // namespace
}  // namespace quillory::test
