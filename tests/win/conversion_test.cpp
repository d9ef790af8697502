// The conversion run through the real window against the stand-in server, and a run no document
// can hang. Every test of the running-object table lives here, so no other program's disturbs it.
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/report_store.h"
#include "app/run_settings.h"
#include "conversion/word_automation_win.h"
#include "platform/dispatch.h"
#include "platform/server_process.h"
#include "support/form_fixture.h"
#include "support/standin_support.h"

namespace quillory::test {
namespace {

using ::testing::HasSubstr;

using Calls = std::vector<std::string>;

const std::wstring kResume = L"R\u00e9sum\u00e9 \u03a9mega";  // a name outside any code page

// What one document sends, from the new instance to its exit, less the names each call asks
// for (its named arguments show them); `error` is the server's answer to a SaveAs that failed.
// Every instance quits saving nothing, its Normal template marked saved first.
Calls Sent(const std::wstring& document, const std::wstring& templ, int format, const std::string& error = "") {
  Calls calls = {
      "Application: new", "Application: put AutomationSecurity = 3", "Application: put DisplayAlerts = 0",
      "Application: get Documents",
      "Documents: call Open(\"" + Narrow(document) + "\", ConfirmConversions:=False, ReadOnly:=True, "
      "AddToRecentFiles:=False, PasswordDocument:=\"" + Narrow(kNoDocumentPassword) + "\")",
      "Document: get HasVBProject", "Document: call SaveAs(FileName:=\"" + Narrow(templ) + "\", FileFormat:=" + std::to_string(format) +
          ", LockComments:=False, Password:=\"\", AddToRecentFiles:=True, WritePassword:=\"\", "
          "ReadOnlyRecommended:=False, EmbedTrueTypeFonts:=False, SaveNativePictureFormat:=False, "
          "SaveFormsData:=False, SaveAsAOCELetter:=False)"};
  if (!error.empty()) calls.push_back("Document: error " + error);
  // Before Quit, the instance is asked whether it holds documents besides ours.
  calls.insert(calls.end(), {"Application: get Documents", "Documents: get Count", "Application: get NormalTemplate",
                             "Template: put Saved = True", "Application: call Quit(SaveChanges:=0)",
                             "Server: exit after Quit"});
  return calls;
}
// A process's calls without the names asked for.
Calls Unnamed(Calls calls) {
  std::erase_if(calls, [](const std::string& line) { return line.find(": names ") != std::string::npos; });
  return calls;
}

CLSID WordClsid() {
  CLSID clsid{};
  return CLSIDFromProgID(kWordProgId, &clsid), clsid;
}
Microsoft::WRL::ComPtr<IDispatch> NewWord() {
  Microsoft::WRL::ComPtr<IDispatch> word;
  EXPECT_TRUE(SUCCEEDED(CoCreateInstance(WordClsid(), nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&word))));
  return word;
}

// A message box, with the window's bar and pointer as it was shown.
struct Shown { SeenDialog box; int bar = -1; PointerShape pointer = PointerShape::kDefault; };

class ConversionRun : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    ASSERT_TRUE(form = MakeForm());
  }
  // A fixture copied into the folder and listed.
  std::string List(const std::wstring& fixture, const std::wstring& name = {}) {
    const std::string path = Add(fixture, name);
    form->AppendEntries({path});
    return path;
  }
  bool LimitTo(DWORD seconds) { return settings.Number(kTimeLimitSetting, seconds); }
  // Presses "Save As Dot" and answers each message box with `answer`, running `whenHanging` on a
  // thread of its own once the stand-in journals the Open of `opened`; the boxes the run showed.
  std::vector<Shown> Press(int answer = IDOK, std::function<void()> whenHanging = {},
                           const std::string& opened = "hang.doc") {
    std::vector<Shown> seen;
    DialogWatcher watcher([&](HWND dialog) {
      seen.push_back({DescribeDialog(dialog), form->Progress(), form->MousePointer()});
      PressDialogButton(dialog, answer);
    });
    std::atomic<bool> pressed{false};
    std::thread hang([&] {
      journal.WaitFor(opened + "\"", [&] { return pressed.load(); });
      if (!pressed && whenHanging) whenHanging();
    });
    SendMessageW(form->Control(IDC_CHECK2), BM_CLICK, 0, 0);
    pressed = true;
    hang.join();
    PumpUntil([&] { return watcher.Count() > 0; }, std::chrono::seconds(2));
    watcher.Stop();  // `seen` is complete once the watcher has stopped
    return seen;
  }
  Shown PressForOne(int answer = IDOK, std::function<void()> whenHanging = {}) {
    const std::vector<Shown> seen = Press(answer, std::move(whenHanging));
    EXPECT_EQ(seen.size(), 1u) << "message boxes shown";
    return seen.empty() ? Shown{} : seen[0];
  }
  // Posts Esc to the window that holds the focus on the window's thread, as a key press would.
  void PressEsc() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(form->Hwnd(), nullptr), &info);
    PostMessageW(info.hwndFocus ? info.hwndFocus : form->Hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(info.hwndFocus ? info.hwndFocus : form->Hwnd(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
  }
  bool Written(const std::wstring& name) const { return FileExists(folder.File(name)); }
  std::unique_ptr<Form1> form;
};

TEST_F(ConversionRun, RunsSendTheExactCallsWriteTheChosenTemplatesAndGoPastAFailureNamedWithItsReason) {
  const std::wstring doc = Widen(List(kResume + L".doc"));
  EXPECT_EQ(PressForOne().box.text, L"Done.");
  EXPECT_TRUE(Written(kResume + L".dot"));

  // As .dotx the binary document fails at SaveAs when LibreOffice is missing.
  ASSERT_TRUE(hazards.Number(L"HideOffice", 1));
  SendMessageW(form->Control(IDC_OPTION2), BM_CLICK, 0, 0);
  const Shown done = PressForOne();
  EXPECT_EQ(done.bar, 100);
  EXPECT_EQ(done.pointer, PointerShape::kHourglass);
  EXPECT_EQ(form->Progress(), 0);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_FALSE(Written(kResume + L".dotx"));

  EXPECT_TRUE(journal.AllExited()) << "a stand-in process was left running";
  const std::vector<Calls> calls = journal.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(Unnamed(calls[0]), Sent(doc, folder.File(kResume + L".dot"), 1));
  // The reason shown is the server's own description of the failure.
  const std::wstring head = L"Done.\r\n\r\n1 document could not be converted:\r\n" + doc + L": ";
  ASSERT_EQ(done.box.text.substr(0, head.size()), head);
  const std::string reason = Narrow(done.box.text.substr(head.size()));
  EXPECT_THAT(reason, HasSubstr("needs LibreOffice Writer, which is not installed"));
  EXPECT_EQ(Unnamed(calls[1]), Sent(doc, folder.File(kResume + L".dotx"), 14, reason));
}

// What a quitting word processor asks with alerts off (a changed Normal template, a document
// changed after its save) costs no time; macros a .dotx cannot hold are named, and in the report.
TEST_F(ConversionRun, QuitAsksNothingAndMacrosADotxCannotHoldAreNamed) {
  ASSERT_TRUE(LimitTo(20) && hazards.Text(L"ChangeNormal", L"*") && hazards.Text(L"ChangeAfterSave", L"*"));
  List(L"macros.docm");
  SendMessageW(form->Control(IDC_OPTION2), BM_CLICK, 0, 0);
  const std::string text = Narrow(PressForOne().box.text);
  const std::string head = "Done.\r\n\r\n1 template lost its macros, which a .dotx template cannot hold; the report of this run names it: ";
  ASSERT_THAT(text, ::testing::StartsWith(head));
  EXPECT_THAT(FileBytes(Widen(text.substr(head.size()))), HasSubstr(",converted," + std::string(kMacrosNotKeptText)));
}

TEST_F(ConversionRun, ActiveInstanceIsOnlyAskedItsNameAndTheDeclinedWarningConvertsNothing) {
  ActiveWord active;  // as a user's word processor would be
  ASSERT_TRUE(active.ok);
  List(L"letter.doc");
  const Shown warning = PressForOne(IDNO);
  EXPECT_EQ(warning.box.text,
            L"Word may be open. It is recommended that you close Word first.\r\n\r\n"
            L"Would you like to proceed anyway?");
  EXPECT_EQ(warning.box.defaultButton, IDYES);

  // Asked its name, nothing else: no document went to a new instance, and this one still runs.
  std::vector<DWORD> pids;
  ASSERT_EQ(journal.Calls(&pids), (std::vector<Calls>{{"Application: new", "Application: get (default)"}}));
  EXPECT_TRUE(Runs(pids[0]));
  // Another program active under the ProgID is not the word processor.
  for (const wchar_t* name : {L"Microsoft Word 2", L"microsoft word"}) {
    ASSERT_TRUE(hazards.Text(L"ApplicationName", name));
    EXPECT_FALSE(IsWordRunning()) << Narrow(name);
  }
}

// A user's instance held by a dialog of its own holds neither the window nor the press: Esc, a
// posted key press, still reaches the window and the run ends before any document is begun.
TEST_F(ConversionRun, AnActiveInstanceThatDoesNotAnswerLeavesTheWindowAnsweringAndEscStopsThePress) {
  ASSERT_TRUE(hazards.Number(L"HangInName", 1));
  ActiveWord active;
  ASSERT_TRUE(active.ok);
  List(L"letter.doc");
  std::thread esc([&] { journal.WaitFor("Application: get (default)"), PressEsc(); });
  const Shown stopped = PressForOne();
  esc.join();
  EXPECT_EQ(stopped.box.text, L"Stopped.\r\n\r\n0 documents converted, 1 not tried.");
  EXPECT_EQ(journal.Calls().size(), 1u);  // no instance was asked for
  journal.EndAll();
}

// Ends, from outside, the instances of the run that wait for their documents, once all five
// have arrived, as a crash or their server leaving while nobody calls it would.
bool EndWaitingInstances(const StandinJournal& journal) {
  std::vector<DWORD> pids;
  for (int tries = 0; tries < 1500 && journal.Calls(&pids).size() < 5; ++tries) Sleep(20);
  const std::vector<Calls> calls = journal.Calls(&pids);
  for (size_t i = 0; i < calls.size(); ++i) {
    if (::testing::Matches(::testing::Contains(::testing::HasSubstr("call Open")))(calls[i])) continue;
    ScopedHandle waiting(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pids[i]));
    TerminateProcess(waiting.Get(), 1), WaitForSingleObject(waiting.Get(), 10000);
  }
  return calls.size() == 5;
}

// The documents opened, in the order of the journal's Opens; fails the test when a document is
// opened before the instance of the one opened last was told to quit (or hung or died in its Open).
std::vector<std::string> OpenedOneAtATime(const std::string& journal) {
  std::vector<std::string> opened;
  std::string previous, done;  // the processes that opened last and that have finished, as "|pid|"
  std::istringstream in(journal);
  for (std::string line; std::getline(in, line);) {
    const std::string pid = "|" + line.substr(0, line.find('\t')) + "|", text = line.substr(line.find('\t') + 1);
    if (text.starts_with("Application: call Quit") || text.starts_with("Server: waiting for ever") ||
        text.starts_with("Server: exit in Open")) {
      done += pid;
    }
    if (!text.starts_with("Documents: call Open(\"")) continue;
    EXPECT_TRUE(previous.empty() || done.find(previous) != std::string::npos) << "opened too soon: " << text;
    previous = pid;
    opened.push_back(text.substr(22, text.find('"', 22) - 22));
  }
  return opened;
}

// The instances started ahead for the documents after the hanging one are ended while it holds
// the run: each of those goes to a fresh instance. Only the hanging one is ended by the run.
TEST_F(ConversionRun, GoodDocumentsAreConvertedInOrderAndEveryOtherIsListedWithItsReasonWithNothingLeftRunning) {
  ASSERT_TRUE(LimitTo(4));
  std::vector<std::string> documents;
  for (const wchar_t* name : {L"good.doc", L"hang.doc", L"dies.doc", L"locked.doc", L"in use.doc", L"later.doc"}) {
    documents.push_back(List(name == std::wstring(L"locked.doc") ? L"password.doc" : L"letter.doc", name));
  }
  const std::string &hang = documents[1], &dying = documents[2], &locked = documents[3];
  // Held open for writing by another program: opened read-only, it converts all the same.
  ScopedHandle writer(CreateFileW(Widen(documents[4]).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  bool ended = false;
  const std::string text = Narrow(PressForOne(IDOK, [&] { ended = EndWaitingInstances(journal); }).box.text);
  EXPECT_TRUE(ended);
  EXPECT_THAT(text, HasSubstr("Done.\r\n\r\n3 documents could not be converted:\r\n" + hang +
                              ": It did not finish within 4 seconds; the word processor may have been waiting on a "
                              "prompt"));
  EXPECT_THAT(text, HasSubstr("Its instance was ended.\r\n" + dying + ": Open: "));
  EXPECT_THAT(text, HasSubstr("0x800706BE"));
  EXPECT_THAT(text, HasSubstr("\r\n" + locked + ": The password is incorrect. Word cannot open the document."));
  EXPECT_TRUE(Written(L"good.dot") && Written(L"in use.dot") && Written(L"later.dot"));
  EXPECT_FALSE(Written(L"hang.dot") || Written(L"dies.dot") || Written(L"locked.dot"));
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(OpenedOneAtATime(journal.Text()), documents);
  // The five asked for at first, three of them ended here, three fresh ones, and later.doc's.
  const std::vector<Calls> calls = journal.Calls();
  EXPECT_LE(calls.size(), 9u);
  for (const Calls& process : calls) {
    const bool opened = ::testing::Matches(::testing::Contains(::testing::HasSubstr("call Open")))(process);
    const bool hungOrDied = process.back().starts_with("Server: waiting for ever") || process.back().starts_with("Server: exit in Open");
    EXPECT_TRUE(!opened || hungOrDied || process.back() == "Server: exit after Quit") << process.back();
  }
}

struct LocalAppData {
  explicit LocalAppData(const std::wstring& path) { GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH), Set(path); }
  ~LocalAppData() { SetEnvironmentVariableW(L"LOCALAPPDATA", saved[0] ? saved : nullptr); }
  void Set(const std::wstring& path) { SetEnvironmentVariableW(L"LOCALAPPDATA", path.c_str()); }
  wchar_t saved[MAX_PATH] = {};
};

// The window keeps each run's report; the newest 50 stay and nothing else there is touched.
TEST(KeptReports, OnlyTheNewestFiftyStayAndAFolderThatCannotBeMadeIsNamed) {
  TempFolder appData;
  LocalAppData redirected(appData.Path());
  const std::wstring reports = appData.File(L"Quillory\\Reports");
  StartedReport started = StartReportFile();
  const KeptReport first = started.kept;
  ASSERT_THAT(first.path, ::testing::StartsWith(Narrow(reports) + "\\"));
  ASSERT_TRUE(started.file);
  started.file.reset();
  for (int year = 1970; year < 2025; ++year) {
    appData.Write(L"Quillory\\Reports\\" + std::to_wstring(year) + L"-01-01 00-00-00.csv");
  }
  appData.Write(L"Quillory\\Reports\\notes.csv");
  EXPECT_EQ(StartReportFile().kept.error, "");
  // 55 older and 2 new: the 7 oldest went.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(reports), {}), 51);
  EXPECT_FALSE(FileExists(reports + L"\\1976-01-01 00-00-00.csv"));
  EXPECT_TRUE(FileExists(reports + L"\\1977-01-01 00-00-00.csv") && FileExists(reports + L"\\notes.csv") &&
              FileExists(Widen(first.path)));
  redirected.Set(appData.Write(L"a file"));
  EXPECT_THAT(StartReportFile().kept.error, ::testing::StartsWith(Narrow(appData.File(L"a file")) + ": "));
}

TEST_F(ConversionRun, AnInstanceThatNeverAnswersItsCreationFailsAtTheLimitAndIsNotEndedOnAGuess) {
  ASSERT_TRUE(LimitTo(2));
  const std::string slow = List(L"letter.doc", L"slow.doc");
  std::string text;
  {
    UserValues slowStart;
    ASSERT_TRUE(slowStart.Number(L"StartDelayMs", 600000));
    text = Narrow(PressForOne().box.text);
  }
  // Still starting, the instance has not named its process, so none is ended on a guess.
  EXPECT_THAT(text, HasSubstr(slow + ": It did not finish within 2 seconds"));
  EXPECT_THAT(text, HasSubstr("could not be tied to its process, so it was not ended"));
  std::vector<DWORD> pids;
  ASSERT_EQ(journal.Calls(&pids).size(), 1u);
  EXPECT_TRUE(Runs(pids[0]));
  journal.EndAll();
}

TEST_F(ConversionRun, EscStopsTheRunWhileTheWindowAnswersAndClosingEndsItWithNothingLeftRunning) {
  List(L"letter.doc", L"good.doc");
  List(L"letter.doc", L"hang.doc");
  List(L"letter.doc", L"later.doc");
  std::atomic<bool> answered{false};
  // Meanwhile the list's keys move and remove nothing, and no menu opens (it would hold the call).
  HWND list = form->Control(IDC_LISTVIEW1);
  ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  const std::vector<std::string> listed = form->Files().Entries();
  const Shown stopped = PressForOne(IDOK, [&] {
    DWORD_PTR result = 0;
    const auto answers = [&](HWND to, UINT msg, WPARAM w, LPARAM l) {
      return SendMessageTimeoutW(to, msg, w, l, SMTO_ABORTIFHUNG, 5000, &result); };
    answered = answers(form->Hwnd(), WM_NULL, 0, 0) && answers(list, WM_KEYDOWN, VK_DELETE, 1) &&
               answers(list, WM_SYSKEYDOWN, VK_UP, 1 | 1 << 29) && answers(list, WM_CONTEXTMENU, 0, -1);
    if (!answered) PressEsc();  // a menu opened: Esc closes it, and the next one stops the run
    PressEsc();
  });
  EXPECT_TRUE(answered);
  EXPECT_EQ(form->Files().Entries(), listed);
  EXPECT_EQ(stopped.box.text, L"Stopped.\r\n\r\n1 document converted, 2 not tried.");
  EXPECT_FALSE(Written(L"later.dot"));
  EXPECT_TRUE(journal.AllExited());
  // The instance started ahead for later.doc was told to quit without a document.
  const std::vector<Calls> calls = journal.Calls();
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Calls& process) {
              return process.size() > 1 && process[1] == "Application: names Documents" &&
                     process.back() == "Server: exit after Quit";
            }), 1);
  // Closed mid-run, with nobody to end the program, the run ends without a word.
  EXPECT_TRUE(Press(IDOK, [&] { PostMessageW(form->Hwnd(), WM_CLOSE, 0, 0); }).empty());
}

// Closed mid-run, the window goes at once and the program ends only once every instance it asked
// for has been told to quit or ended, whether it waited for its document or was still starting.
TEST_F(ConversionRun, ClosedMidRunTheProgramOutlivesItsWindowUntilEveryInstanceItAskedForIsGone) {
  ASSERT_TRUE(LimitTo(60));
  auto runAndClose = [&](std::vector<const wchar_t*> names, const std::function<bool()>& closeWhen) {
    std::wstring command = L"\"" + ApplicationFolder() + L"\\Quillory.exe\"";
    for (const wchar_t* name : names) command += L" \"" + CopyFixture(L"letter.doc", folder.Path(), name) + L"\"";
    ScopedHandle program;
    DWORD id = 0;
    EXPECT_TRUE(StartProgram(command, &program, &id));
    HWND window = WaitForWindow(id, kForm1ClassName);
    PostMessageW(GetDlgItem(window, IDC_CHECK2), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil(closeWhen, std::chrono::seconds(60)));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }, std::chrono::seconds(5)));
    EXPECT_EQ(WaitForSingleObject(program.Get(), 45000), WAIT_OBJECT_0);
    EXPECT_TRUE(journal.AllExited()) << "a stand-in process was left running";
    return journal.Calls();
  };
  // During a hanging document, the next one's instance waiting: it is told to quit, as good.doc's was.
  std::vector<Calls> calls = runAndClose({L"good.doc", L"hang.doc", L"later.doc"},
                                         [&] { return journal.Text().find("hang.doc\"") != std::string::npos; });
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Calls& c) { return c.back() == "Server: exit after Quit"; }), 2);
  // Before either instance has arrived: both are awaited, and told to quit.
  ASSERT_TRUE(hazards.Number(L"StartDelayMs", 3000));
  calls = runAndClose({L"good.doc", L"later.doc"}, [&] { return journal.Calls().size() == 5; });
  ASSERT_EQ(calls.size(), 5u);
  for (size_t i = 3; i < 5; ++i) EXPECT_EQ(calls[i].back(), "Server: exit after Quit") << i;
}

// A user's document handed to one of the run's instances is never thrown away with it; an
// instance that cannot be had fails its own document and no other.
TEST_F(ConversionRun, AnInstanceHoldingAnotherDocumentIsLeftVisibleAndOneThatFailsToStartFailsOnlyItsDocument) {
  // One ahead: the later instances are asked for while shared.doc converts.
  ASSERT_TRUE(hazards.Text(L"SecondDocument", L"shared.doc") && settings.Number(kInstancesAheadSetting, 1));
  std::vector<std::string> documents;
  for (const wchar_t* name : {L"shared.doc", L"b.doc", L"c.doc", L"d.doc", L"e.doc"}) {
    documents.push_back(List(L"letter.doc", name));
  }
  const std::vector<Shown> seen = Press(IDOK, [&] { hazards.Number(L"RefuseOnce", 1); }, "shared.doc");
  ASSERT_EQ(seen.size(), 1u);
  const std::string text = Narrow(seen[0].box.text);
  EXPECT_THAT(text, HasSubstr("Done.\r\n\r\n1 document could not be converted:\r\n"));
  EXPECT_THAT(text, HasSubstr(": Word could not be started: "));
  EXPECT_EQ(text.find(documents[0]), std::string::npos);
  EXPECT_TRUE(Written(L"shared.dot"));

  std::vector<DWORD> pids;
  const std::vector<Calls> calls = journal.Calls(&pids);
  // Servers answer requests in no set order: the one that opened shared.doc is found by its Open.
  const auto holder = std::find_if(calls.begin(), calls.end(), [&](const Calls& process) {
    return std::any_of(process.begin(), process.end(), [&](const std::string& line) {
      return line.find("call Open(\"" + documents[0] + "\"") != std::string::npos;
    });
  });
  ASSERT_NE(holder, calls.end());
  const Calls& shared = *holder;
  EXPECT_THAT(shared, ::testing::Contains("Document: call Close(SaveChanges:=0)"));
  EXPECT_THAT(shared, ::testing::Contains(::testing::StartsWith("Application: put Visible = ")));
  EXPECT_THAT(shared, ::testing::Not(::testing::Contains(::testing::StartsWith("Application: call Quit"))));
  EXPECT_TRUE(Runs(pids[holder - calls.begin()])) << "the shared instance was ended";
  journal.EndAll();
}

// Each instance names its own process, whichever server answered which request; the user's own
// instance, running before, is never taken, and only the process named is ended.
TEST(ServerProcess, EachInstanceNamesItsOwnProcessAndOnlyThatProcessIsEnded) {
  StandinJournal journal;
  Microsoft::WRL::ComPtr<IDispatch> user = NewWord();
  ServerProcessFinder finder(kWordProgId);
  Microsoft::WRL::ComPtr<IDispatch> first = NewWord(), second = NewWord();
  EXPECT_FALSE(finder.ServingProcess(user.Get()));
  const std::optional<ServerProcess> firstProcess = finder.ServingProcess(first.Get());
  const std::optional<ServerProcess> secondProcess = finder.ServingProcess(second.Get());
  ASSERT_TRUE(firstProcess && secondProcess);
  EXPECT_NE(firstProcess->id, secondProcess->id);
  // The process that journals a call made through `first` is the one it named.
  GetDefaultValue(first.Get());
  std::vector<DWORD> pids;
  const std::vector<Calls> calls = journal.Calls(&pids);
  ASSERT_EQ(calls.size(), 3u);
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].back() == "Application: get (default)", pids[i] == firstProcess->id) << i;
  }

  ScopedHandle ended(OpenProcess(SYNCHRONIZE, FALSE, firstProcess->id));
  EXPECT_TRUE(EndServerProcess(*firstProcess));
  EXPECT_EQ(WaitForSingleObject(ended.Get(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(EndServerProcess(*firstProcess));  // gone already: nothing else is touched
  for (auto* instance : {user.Get(), second.Get()}) EXPECT_TRUE(CallMethod(instance, L"Quit").Ok());
  first.Reset(), second.Reset(), user.Reset();
  EXPECT_TRUE(journal.AllExited());
}

}  // namespace
}  // namespace quillory::test
