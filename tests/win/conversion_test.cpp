// The conversion run through the real window against the stand-in automation server: the
// calls sent, the templates written (read by the test's own readers), the instances ended and
// the check for a running instance. The run's sequence is tested with fakes in tests/core, and
// each document here costs a new server instance, so the runs are short. Every test of the
// running-object table lives in this one program so no other program's object can disturb it.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/main_window.h"
#include "common/utf_win.h"
#include "conversion/word_automation_win.h"
#include "platform/dispatch.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"
#include "support/standin_support.h"

namespace quillory {
namespace {

using Calls = std::vector<std::string>;

const std::wstring kResume = L"R\u00e9sum\u00e9 \u03a9mega";  // a name outside any code page

// What one document sends, from the new instance to its exit; `error` is the server's answer
// to a SaveAs that failed, after which the instance is told to quit without saving.
Calls Sent(const std::wstring& document, const std::wstring& templ, int format, const std::string& error = "") {
  Calls calls = {
      "Application: new",
      "Application: names AutomationSecurity", "Application: put AutomationSecurity = 3",
      "Application: names DisplayAlerts", "Application: put DisplayAlerts = 0",
      "Application: names Documents", "Application: get Documents",
      "Documents: names Open, ConfirmConversions, ReadOnly, AddToRecentFiles, PasswordDocument",
      "Documents: call Open(\"" + Narrow(document) + "\", ConfirmConversions:=False, ReadOnly:=True, "
      "AddToRecentFiles:=False, PasswordDocument:=\"" + Narrow(kNoDocumentPassword) + "\")",
      "Document: names SaveAs, FileName, FileFormat, LockComments, Password, AddToRecentFiles, "
      "WritePassword, ReadOnlyRecommended, EmbedTrueTypeFonts, SaveNativePictureFormat, "
      "SaveFormsData, SaveAsAOCELetter",
      "Document: call SaveAs(FileName:=\"" + Narrow(templ) + "\", FileFormat:=" + std::to_string(format) +
          ", LockComments:=False, Password:=\"\", AddToRecentFiles:=True, WritePassword:=\"\", "
          "ReadOnlyRecommended:=False, EmbedTrueTypeFonts:=False, SaveNativePictureFormat:=False, "
          "SaveFormsData:=False, SaveAsAOCELetter:=False)"};
  const Calls quit = error.empty() ? Calls{"Application: names Quit", "Application: call Quit()"}
                                   : Calls{"Document: error " + error, "Application: names Quit, SaveChanges",
                                           "Application: call Quit(SaveChanges:=0)"};
  calls.insert(calls.end(), quit.begin(), quit.end());
  calls.push_back("Server: exit after Quit");
  return calls;
}

// The content type that [Content_Types].xml gives the main document part.
std::string MainPartType(const std::wstring& package) {
  const std::string types = test::ZipEntries(package)["[Content_Types].xml"];
  const size_t part = types.find("PartName=\"/word/document.xml\"");
  if (part == std::string::npos) return "(no main part in \"" + types + "\")";
  const size_t type = types.find("ContentType=\"", types.rfind('<', part)) + 13;
  return types.substr(type, types.find('"', type) - type);
}

// Every position the progress bar is given.
LRESULT CALLBACK RecordPosition(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR to) {
  if (message == PBM_SETPOS) reinterpret_cast<std::vector<int>*>(to)->push_back(static_cast<int>(wParam));
  return DefSubclassProc(bar, message, wParam, lParam);
}

// A message box as it was shown, with the window's state at that moment.
struct Shown {
  std::wstring text;
  int bar = -1;
  PointerShape pointer = PointerShape::kDefault;
  int defaultButton = 0;
};

// An object of the test's own, on the stack, that answers its default member with a name.
struct NamedObject final : IDispatch {
  explicit NamedObject(const wchar_t* name) : name(name) {}
  const wchar_t* name;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != DISPID_VALUE || !result) return DISP_E_MEMBERNOTFOUND;
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(name);
    return S_OK;
  }
};

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = test::MakeForm();
    ASSERT_NE(form, nullptr);
    SetWindowSubclass(form->Control(IDC_PROGRESSBAR1), RecordPosition, 1, reinterpret_cast<DWORD_PTR>(&positions));
  }
  void TearDown() override { if (HasFailure()) std::printf("stand-in journal:\n%s", journal.Text().c_str()); }

  // Presses "Save As Dot" and answers the one message box expected with `answer`.
  Shown Press(int answer) {
    std::vector<Shown> seen;
    {
      test::DialogWatcher watcher([&](HWND dialog) {
        Shown s{test::DescribeDialog(dialog).text, form->Progress(), form->MousePointer()};
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          if ((GetWindowLongW(c, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) s.defaultButton = GetDlgCtrlID(c);
        }
        seen.push_back(s);
        test::PressDialogButton(dialog, seen.size() == 1 ? answer : IDOK);
        return true;
      });
      SendMessageW(form->Control(IDC_CHECK2), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(seen.size(), 1u) << "message boxes shown";
    return seen.empty() ? Shown{} : seen[0];
  }

  test::StandinJournal journal;
  test::TempFolder folder;
  std::vector<int> positions;
  std::unique_ptr<Form1> form;
};

TEST_F(ConversionTest, RunsSendTheExactCallsWriteTheChosenTemplatesAndGoPastAFailureNamedWithItsReason) {
  EXPECT_EQ(Press(IDOK).text, L"No files added.");

  const std::wstring doc = test::CopyFixture(kResume + L".doc", folder.Path());
  form->AppendEntries({Narrow(doc)});
  EXPECT_EQ(Press(IDOK).text, L"Done.");
  EXPECT_EQ(test::BinaryTemplateFlag(doc), std::optional<bool>(false));
  EXPECT_EQ(test::BinaryTemplateFlag(folder.File(kResume + L".dot")), std::optional<bool>(true));

  // As .dotx the binary document fails at SaveAs, and the run goes on.
  const std::wstring docx = test::CopyFixture(kResume + L".docx", folder.Path());
  const std::wstring docm = test::CopyFixture(L"macros.docm", folder.Path());
  form->AppendEntries({Narrow(docx), Narrow(docm)});
  SendMessageW(form->Control(IDC_OPTION2), BM_CLICK, 0, 0);
  const Shown done = Press(IDOK);
  EXPECT_EQ(done.bar, 100);
  EXPECT_EQ(done.pointer, PointerShape::kHourglass);
  EXPECT_EQ(positions, (std::vector<int>{0, 100, 0, 33, 67, 100, 0}));
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(form->Files().Count(), 3u);
  for (const std::wstring& name : {kResume + L".dotx", std::wstring(L"macros.dotx")}) {
    EXPECT_EQ(MainPartType(folder.File(name)),
              "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
  }
  EXPECT_EQ(test::ZipEntries(docm).count("word/vbaProject.bin"), 1u);
  std::map<std::string, std::string> dotx = test::ZipEntries(folder.File(L"macros.dotx"));
  EXPECT_EQ(dotx.count("word/vbaProject.bin"), 0u);
  EXPECT_EQ(dotx["[Content_Types].xml"].find("vbaProject"), std::string::npos);

  EXPECT_TRUE(journal.AllExited()) << "a stand-in process was left running";
  const std::vector<Calls> calls = journal.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], Sent(doc, folder.File(kResume + L".dot"), 1));
  // The reason shown is the server's own description of the failure.
  const std::wstring head = L"Done.\r\n\r\n1 document could not be converted:\r\n" + doc + L": ";
  EXPECT_EQ(done.text.substr(0, head.size()), head);
  EXPECT_EQ(calls[1], Sent(doc, folder.File(kResume + L".dotx"), 14, Narrow(done.text.substr(head.size()))));
  EXPECT_EQ(calls[2], Sent(docx, folder.File(kResume + L".dotx"), 14));
  EXPECT_EQ(calls[3], Sent(docm, folder.File(L"macros.dotx"), 14));
}

TEST(WordAutomation, UnknownProgIdMeansNotInstalled) {
  EXPECT_EQ(SaveDocAsTemplate("C:\\letter.doc", TemplateTarget::kDot, L"Quillory.NoSuchServer").status,
            SaveOutcome::Status::kNotInstalled);
  EXPECT_FALSE(IsWordRunning(L"Quillory.NoSuchServer"));
}

TEST_F(ConversionTest, ActiveInstanceIsOnlyAskedItsNameAndTheDeclinedWarningConvertsNothing) {
  CLSID clsid{};
  ASSERT_TRUE(SUCCEEDED(CLSIDFromProgID(kWordProgId, &clsid)));
  Microsoft::WRL::ComPtr<IDispatch> word;  // made active as a user's word processor would be
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&word))));
  DWORD cookie = 0;
  ASSERT_TRUE(SUCCEEDED(RegisterActiveObject(word.Get(), clsid, ACTIVEOBJECT_STRONG, &cookie)));
  form->AppendEntries({Narrow(test::CopyFixture(L"letter.doc", folder.Path()))});
  const Shown warning = Press(IDNO);
  RevokeActiveObject(cookie, nullptr);
  EXPECT_EQ(warning.text,
            L"Word may be open. It is recommended that you close Word first.\r\n\r\n"
            L"Would you like to proceed anyway?");
  EXPECT_EQ(warning.defaultButton, IDYES);

  // Asked its name, nothing else: no document went to a new instance, and this one still runs.
  std::vector<DWORD> pids;
  EXPECT_EQ(journal.Calls(&pids),
            (std::vector<Calls>{{"Application: new", "Application: get (default)"}}));
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_TRUE(test::IsRunning(pids[0]));
  CallMethod(word.Get(), L"Quit");
  word.Reset();
  EXPECT_TRUE(journal.AllExited());

  // Another object active under the ProgID is not the word processor.
  for (const wchar_t* name : {L"Microsoft Word 2", L"microsoft word"}) {
    NamedObject other(name);
    ASSERT_TRUE(SUCCEEDED(RegisterActiveObject(&other, clsid, ACTIVEOBJECT_STRONG, &cookie)));
    EXPECT_FALSE(IsWordRunning()) << Narrow(name);
    RevokeActiveObject(cookie, nullptr);
  }
}

}  // namespace
}  // namespace quillory
