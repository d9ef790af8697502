// The conversion against the stand-in automation server: the calls Quillory sends, in order
// and with their values, the templates written, the instances ended, the running-instance
// check, and the whole run through the window. All tests of the running-instance table live
// in this one program so that no other test program's active instance can disturb them.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <commctrl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "app/main_window.h"
#include "conversion/word_automation.h"
#include "platform/dispatch.h"
#include "platform/utf.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"
#include "support/standin_support.h"

namespace quillory {
namespace {

using Microsoft::WRL::ComPtr;
using test::DialogWatcher;
using test::StandinJournal;

const char kSaveAsNames[] =
    "Document: names SaveAs, FileName, FileFormat, LockComments, Password, AddToRecentFiles, "
    "WritePassword, ReadOnlyRecommended, EmbedTrueTypeFonts, SaveNativePictureFormat, "
    "SaveFormsData, SaveAsAOCELetter";

// What one successful document sends, from the new instance to its exit.
std::vector<std::string> ExpectedCalls(const std::string& document, const std::string& templ, int format) {
  return {"Application: new",
          "Application: names AutomationSecurity",
          "Application: put AutomationSecurity = 3",
          "Application: names DisplayAlerts",
          "Application: put DisplayAlerts = 0",
          "Application: names Documents",
          "Application: get Documents",
          "Documents: names Open",
          "Documents: call Open(\"" + document + "\")",
          kSaveAsNames,
          "Document: call SaveAs(FileName:=\"" + templ + "\", FileFormat:=" + std::to_string(format) +
              ", LockComments:=False, Password:=\"\", AddToRecentFiles:=True, WritePassword:=\"\", "
              "ReadOnlyRecommended:=False, EmbedTrueTypeFonts:=False, SaveNativePictureFormat:=False, "
              "SaveFormsData:=False, SaveAsAOCELetter:=False)",
          "Application: names Quit",
          "Application: call Quit()",
          "Server: exit after Quit"};
}

// The journal's lines grouped by the process that wrote them, in order of first appearance.
std::vector<std::vector<std::string>> ByProcess(const StandinJournal& journal) {
  std::vector<DWORD> order;
  std::map<DWORD, std::vector<std::string>> lines;
  for (const test::JournalLine& l : journal.Lines()) {
    if (!lines.count(l.pid)) order.push_back(l.pid);
    lines[l.pid].push_back(l.text);
  }
  std::vector<std::vector<std::string>> grouped;
  for (DWORD pid : order) grouped.push_back(lines[pid]);
  return grouped;
}

std::string U8(const std::wstring& text) { return Narrow(text); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

template <typename T>
bool Contains(const std::vector<T>& items, const T& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

bool AnyHas(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return Has(l, part); });
}

using Calls = std::vector<std::vector<std::string>>;

CLSID StandinClsid() {
  CLSID clsid{};
  EXPECT_TRUE(SUCCEEDED(CLSIDFromProgID(kWordProgId, &clsid)));
  return clsid;
}

class ConversionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override {
    if (!HasFailure()) return;
    std::printf("stand-in journal:\n");
    for (const test::JournalLine& l : journal.Lines()) std::printf("  %lu %s\n", l.pid, l.text.c_str());
  }

  // Every instance this test started has gone.
  void ExpectAllInstancesEnded() {
    EXPECT_TRUE(test::WaitUntilExited(journal.Processes())) << "a stand-in process was left running";
  }

  StandinJournal journal;
  test::TempFolder folder;
};

TEST_F(ConversionTest, DotTargetSendsEachCallInOrderAndWritesBinaryTemplates) {
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());
  const std::wstring resume = test::CopyFixture(L"R\u00e9sum\u00e9 \u03a9mega.doc", folder.Path());

  EXPECT_EQ(SaveDocAsTemplate(U8(letter), TemplateTarget::kDot).status, SaveOutcome::Status::kSaved);
  EXPECT_EQ(SaveDocAsTemplate(U8(resume), TemplateTarget::kDot).status, SaveOutcome::Status::kSaved);
  ExpectAllInstancesEnded();

  const std::wstring letterDot = folder.File(L"letter.dot");
  const std::wstring resumeDot = folder.File(L"R\u00e9sum\u00e9 \u03a9mega.dot");
  EXPECT_EQ(ByProcess(journal), (Calls{ExpectedCalls(U8(letter), U8(letterDot), 1),
                                       ExpectedCalls(U8(resume), U8(resumeDot), 1)}));

  // The flag is read here with a reader of the test's own.
  EXPECT_EQ(test::BinaryTemplateFlag(letter), std::optional<bool>(false));
  EXPECT_EQ(test::BinaryTemplateFlag(letterDot), std::optional<bool>(true));
  EXPECT_EQ(test::BinaryTemplateFlag(resumeDot), std::optional<bool>(true));
  // Only the flag differs from the document.
  const std::string before = test::ReadBytes(letter), after = test::ReadBytes(letterDot);
  ASSERT_EQ(before.size(), after.size());
  EXPECT_EQ(std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin(),
            std::mismatch(before.rbegin(), before.rend(), after.rbegin()).first.base() - before.begin() - 1);

  // A template converted onto its own path succeeds and stays as it was.
  journal.Clear();
  EXPECT_EQ(SaveDocAsTemplate(U8(letterDot), TemplateTarget::kDot).status, SaveOutcome::Status::kSaved);
  ExpectAllInstancesEnded();
  EXPECT_EQ(test::ReadBytes(letterDot), after);
  EXPECT_EQ(ByProcess(journal), (Calls{ExpectedCalls(U8(letterDot), U8(letterDot), 1)}));
}

TEST_F(ConversionTest, DotxTargetSendsFormat14AndWritesOpenXmlTemplates) {
  const std::wstring report = test::CopyFixture(L"report.docx", folder.Path());
  const std::wstring resume = test::CopyFixture(L"R\u00e9sum\u00e9 \u03a9mega.docx", folder.Path());
  const std::wstring macros = test::CopyFixture(L"macros.docm", folder.Path());

  for (const std::wstring& document : {report, resume, macros}) {
    const SaveOutcome outcome = SaveDocAsTemplate(U8(document), TemplateTarget::kDotx);
    EXPECT_EQ(outcome.status, SaveOutcome::Status::kSaved) << outcome.reason;
  }
  ExpectAllInstancesEnded();

  const std::wstring reportDotx = folder.File(L"report.dotx");
  const std::wstring resumeDotx = folder.File(L"R\u00e9sum\u00e9 \u03a9mega.dotx");
  const std::wstring macrosDotx = folder.File(L"macros.dotx");
  EXPECT_EQ(ByProcess(journal), (Calls{ExpectedCalls(U8(report), U8(reportDotx), 14),
                                       ExpectedCalls(U8(resume), U8(resumeDotx), 14),
                                       ExpectedCalls(U8(macros), U8(macrosDotx), 14)}));

  const char kTemplateType[] = "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
  for (const std::wstring& templ : {reportDotx, resumeDotx, macrosDotx}) {
    EXPECT_EQ(test::MainPartContentType(templ), kTemplateType) << U8(templ);
  }
  // Every part of the document is still there; a macro-free template has no macro project.
  std::vector<std::string> documentParts = test::ZipEntryNames(report);
  std::vector<std::string> templateParts = test::ZipEntryNames(reportDotx);
  std::sort(documentParts.begin(), documentParts.end());
  std::sort(templateParts.begin(), templateParts.end());
  EXPECT_EQ(templateParts, documentParts);
  EXPECT_TRUE(Contains(test::ZipEntryNames(macros), std::string("word/vbaProject.bin")));
  EXPECT_FALSE(Contains(test::ZipEntryNames(macrosDotx), std::string("word/vbaProject.bin")));
  const std::optional<std::string> types = test::StoredZipEntry(macrosDotx, "[Content_Types].xml");
  ASSERT_TRUE(types.has_value());
  EXPECT_FALSE(Has(*types, "vbaProject"));
  EXPECT_FALSE(Has(*types, "macroEnabled"));
}

TEST_F(ConversionTest, FailedDocumentIsReportedAndItsInstanceQuitsWithoutSaving) {
  const std::wstring missing = folder.File(L"missing.doc");
  const std::wstring damaged = folder.Write(L"damaged.doc", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                                                                std::string(600, 'x'));
  const std::wstring report = test::CopyFixture(L"report.docx", folder.Path());

  const SaveOutcome gone = SaveDocAsTemplate(U8(missing), TemplateTarget::kDot);
  EXPECT_EQ(gone.status, SaveOutcome::Status::kFailed);
  EXPECT_TRUE(Has(gone.reason, U8(missing))) << gone.reason;
  const SaveOutcome broken = SaveDocAsTemplate(U8(damaged), TemplateTarget::kDot);
  EXPECT_EQ(broken.status, SaveOutcome::Status::kFailed);
  EXPECT_TRUE(Has(broken.reason, U8(damaged))) << broken.reason;
  EXPECT_TRUE(Has(broken.reason, "damaged")) << broken.reason;
  // A pair the server cannot convert fails at SaveAs, with its reason.
  const SaveOutcome pair = SaveDocAsTemplate(U8(report), TemplateTarget::kDot);
  EXPECT_EQ(pair.status, SaveOutcome::Status::kFailed);
  EXPECT_TRUE(Has(pair.reason, U8(report))) << pair.reason;
  EXPECT_TRUE(Has(pair.reason, "binary template")) << pair.reason;
  ExpectAllInstancesEnded();

  const auto processes = ByProcess(journal);
  ASSERT_EQ(processes.size(), 3u);
  for (const auto& calls : processes) {
    // Whatever failed, the instance is told to quit without saving and holds nothing after.
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 3], "Application: names Quit, SaveChanges");
    EXPECT_EQ(calls[calls.size() - 2], "Application: call Quit(SaveChanges:=0)");
    EXPECT_EQ(calls.back(), "Server: exit after Quit");
  }
  EXPECT_TRUE(AnyHas(processes[0], "Documents: error The file \"" + U8(missing)));
  EXPECT_TRUE(AnyHas(processes[2], "Document: error"));
  EXPECT_EQ(GetFileAttributesW(folder.File(L"report.dot").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ConversionTest, UnknownProgIdMeansNotInstalled) {
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());
  const SaveOutcome outcome = SaveDocAsTemplate(U8(letter), TemplateTarget::kDot, L"Quillory.NoSuchServer");
  EXPECT_EQ(outcome.status, SaveOutcome::Status::kNotInstalled);
  EXPECT_FALSE(IsWordRunning(L"Quillory.NoSuchServer"));
  EXPECT_TRUE(journal.Lines().empty());
}

// An in-process object registered as active, answering its default member with a name.
class NamedApplication final : public IDispatch {
 public:
  explicit NamedApplication(std::wstring name) : name_(std::move(name)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != DISPID_VALUE || !result) return DISP_E_MEMBERNOTFOUND;
    ++reads;
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(name_.c_str());
    return S_OK;
  }
  int reads = 0;

 private:
  std::wstring name_;
  ULONG references_ = 1;
};

TEST_F(ConversionTest, IsWordRunningLooksAtTheActiveInstanceAndLeavesItRunning) {
  EXPECT_FALSE(IsWordRunning());
  const CLSID clsid = StandinClsid();

  // A running stand-in, made active as a user's word processor would be.
  ComPtr<IDispatch> word;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&word))));
  DWORD cookie = 0;
  ASSERT_TRUE(SUCCEEDED(RegisterActiveObject(word.Get(), clsid, ACTIVEOBJECT_STRONG, &cookie)));
  EXPECT_TRUE(IsWordRunning());
  EXPECT_TRUE(IsWordRunning());
  RevokeActiveObject(cookie, nullptr);
  EXPECT_FALSE(IsWordRunning());

  // It was only asked its name, and still answers.
  EXPECT_EQ(journal.Texts(), (std::vector<std::string>{"Application: new", "Application: get (default)",
                                                       "Application: get (default)"}));
  const std::set<DWORD> pids = journal.Processes();
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_TRUE(test::IsStandinRunning(*pids.begin()));
  EXPECT_EQ(U8([&] { std::wstring t; GetDefaultValue(word.Get()).value.ToString(&t); return t; }()),
            "Microsoft Word");
  CallMethod(word.Get(), L"Quit");
  word.Reset();
  ExpectAllInstancesEnded();

  // Only the exact name counts.
  NamedApplication other(L"Microsoft Word 2");
  ASSERT_TRUE(SUCCEEDED(RegisterActiveObject(&other, clsid, ACTIVEOBJECT_STRONG, &cookie)));
  EXPECT_FALSE(IsWordRunning());
  RevokeActiveObject(cookie, nullptr);
  EXPECT_EQ(other.reads, 1);
}

TEST_F(ConversionTest, OrphanedInstanceEndsAfterItsIdleTime) {
  // A client that goes away without "Quit" leaves no instance behind for long.
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_IDLE_SECONDS", L"2");
  ComPtr<IDispatch> word;
  const HRESULT created = CoCreateInstance(StandinClsid(), nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&word));
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_IDLE_SECONDS", L"300");
  ASSERT_TRUE(SUCCEEDED(created));
  word.Reset();
  EXPECT_TRUE(journal.WaitFor("Server: exit after idle timeout"));
  ExpectAllInstancesEnded();
}

// The run through the window.
class ConversionWindowTest : public ConversionTest {
 protected:
  void SetUp() override {
    form = test::MakeForm();
    ASSERT_NE(form, nullptr);
  }
  void Press() { SendMessageW(form->Control(IDC_CHECK2), BM_CLICK, 0, 0); }
  int BarPosition() { return static_cast<int>(SendMessageW(form->Control(IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0)); }

  std::unique_ptr<Form1> form;
};

struct MessageSeen {
  std::wstring text;
  int bar = -1;
  int pointer = -1;
  int defaultButton = 0;
};

// Answers each message box with the next button given, noting what the window showed then.
DialogWatcher::Answer Answer(std::vector<int> buttons, std::vector<MessageSeen>* seen, Form1* form) {
  auto next = std::make_shared<size_t>(0);
  return [=](HWND dialog) {
    MessageSeen m;
    m.text = test::DescribeDialog(dialog).text;
    m.bar = static_cast<int>(SendMessageW(form->Control(IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0));
    m.pointer = form->MousePointer();
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if ((GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) m.defaultButton = GetDlgCtrlID(child);
    }
    seen->push_back(m);
    test::PressDialogButton(dialog, *next < buttons.size() ? buttons[(*next)++] : IDOK);
    return true;
  };
}

TEST_F(ConversionWindowTest, RunConvertsEveryEntryListsFailuresAndResets) {
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());
  const std::wstring resume = test::CopyFixture(L"R\u00e9sum\u00e9 \u03a9mega.doc", folder.Path());
  const std::wstring missing = folder.File(L"missing.doc");
  form->AppendEntries({U8(letter), U8(missing), U8(resume)});

  std::vector<MessageSeen> seen;
  {
    DialogWatcher watcher(Answer({IDOK}, &seen, form.get()));
    Press();
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text.rfind(L"Done.\r\n\r\n1 document could not be converted:\r\n" + missing + L": ", 0), 0u)
      << U8(seen[0].text);
  EXPECT_EQ(seen[0].bar, 100);
  EXPECT_EQ(seen[0].pointer, kPointerHourglass);
  EXPECT_EQ(BarPosition(), 0);
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  EXPECT_EQ(SendMessageW(form->Control(IDC_CHECK2), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(test::BinaryTemplateFlag(folder.File(L"letter.dot")), std::optional<bool>(true));
  EXPECT_EQ(test::BinaryTemplateFlag(folder.File(L"R\u00e9sum\u00e9 \u03a9mega.dot")), std::optional<bool>(true));
  EXPECT_EQ(form->Files().Count(), 3u);
  ExpectAllInstancesEnded();
  const auto processes = ByProcess(journal);
  ASSERT_EQ(processes.size(), 3u);
  EXPECT_EQ(processes[0], ExpectedCalls(U8(letter), U8(folder.File(L"letter.dot")), 1));
  EXPECT_TRUE(Contains(processes[1], std::string("Application: call Quit(SaveChanges:=0)")));

  // The option is read at each run: the second target gives Open XML templates.
  journal.Clear();
  const std::wstring report = test::CopyFixture(L"report.docx", folder.Path());
  form->AppendEntries({U8(report)});
  SendMessageW(form->Control(IDC_OPTION2), BM_CLICK, 0, 0);
  ASSERT_FALSE(form->Option1Selected());
  seen.clear();
  {
    DialogWatcher watcher(Answer({IDOK}, &seen, form.get()));
    Press();
  }
  ASSERT_EQ(seen.size(), 1u);
  // The binary documents cannot become Open XML templates here; the report can.
  EXPECT_EQ(seen[0].text.rfind(L"Done.\r\n\r\n3 documents could not be converted:", 0), 0u) << U8(seen[0].text);
  EXPECT_EQ(test::MainPartContentType(folder.File(L"report.dotx")),
            "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
  ExpectAllInstancesEnded();
  EXPECT_EQ(ByProcess(journal).back(), ExpectedCalls(U8(report), U8(folder.File(L"report.dotx")), 14));
}

TEST_F(ConversionWindowTest, EmptyListSaysNoFilesAdded) {
  std::vector<MessageSeen> seen;
  {
    DialogWatcher watcher(Answer({IDOK}, &seen, form.get()));
    Press();
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"No files added.");
  EXPECT_EQ(BarPosition(), 0);
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  EXPECT_TRUE(journal.Lines().empty());
}

TEST_F(ConversionWindowTest, WarningWhileWordRunsLetsTheUserDecline) {
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());
  form->AppendEntries({U8(letter)});
  const CLSID clsid = StandinClsid();
  NamedApplication users(L"Microsoft Word");
  DWORD cookie = 0;
  ASSERT_TRUE(SUCCEEDED(RegisterActiveObject(&users, clsid, ACTIVEOBJECT_STRONG, &cookie)));

  std::vector<MessageSeen> seen;
  {
    DialogWatcher watcher(Answer({IDNO}, &seen, form.get()));
    Press();
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text,
            L"Word may be open. It is recommended that you close Word first.\r\n\r\n"
            L"Would you like to proceed anyway?");
  EXPECT_EQ(seen[0].defaultButton, IDYES);
  EXPECT_EQ(BarPosition(), 0);
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  EXPECT_TRUE(journal.Lines().empty()) << "nothing may be converted after No";
  EXPECT_EQ(GetFileAttributesW(folder.File(L"letter.dot").c_str()), INVALID_FILE_ATTRIBUTES);

  // Yes goes on as if nothing had been found.
  seen.clear();
  {
    DialogWatcher watcher(Answer({IDYES, IDOK}, &seen, form.get()));
    Press();
  }
  RevokeActiveObject(cookie, nullptr);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, L"Done.");
  EXPECT_EQ(test::BinaryTemplateFlag(folder.File(L"letter.dot")), std::optional<bool>(true));
  ExpectAllInstancesEnded();
}

}  // namespace
}  // namespace quillory
