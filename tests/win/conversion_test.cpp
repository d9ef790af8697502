// The conversion run through the real window against the stand-in server: the calls sent, the
// templates written, the instances ended and the check for a running instance. Every test of the
// running-object table lives in this program so no other program's object can disturb it.
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "common/utf_win.h"
#include "conversion/word_automation_win.h"
#include "platform/dispatch.h"
#include "platform/scoped_handles.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"
#include "support/standin_support.h"

namespace quillory::test {
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

// A message box, with the window's bar and pointer as it was shown.
struct Shown {
  SeenDialog box;
  int bar = -1;
  PointerShape pointer = PointerShape::kDefault;
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
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
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

class ConversionTest : public FormTest {
 protected:
  // Presses "Save As Dot" and answers the one message box expected with `answer`.
  Shown Press(int answer) {
    std::vector<Shown> seen;
    {
      DialogWatcher watcher([&](HWND dialog) {
        seen.push_back({DescribeDialog(dialog), form->Progress(), form->MousePointer()});
        PressDialogButton(dialog, answer);
      });
      SendMessageW(form->Control(IDC_CHECK2), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(seen.size(), 1u) << "message boxes shown";
    return seen.empty() ? Shown{} : seen[0];
  }

  StandinJournal journal;
  TempFolder folder;
};

TEST_F(ConversionTest, RunsSendTheExactCallsWriteTheChosenTemplatesAndGoPastAFailureNamedWithItsReason) {
  const std::wstring doc = CopyFixture(kResume + L".doc", folder.Path());
  form->AppendEntries({Narrow(doc)});
  EXPECT_EQ(Press(IDOK).box.text, L"Done.");
  EXPECT_TRUE(FileExists(folder.File(kResume + L".dot")));

  // As .dotx the binary document fails at SaveAs, and the run goes on.
  const std::wstring docx = CopyFixture(kResume + L".docx", folder.Path());
  form->AppendEntries({Narrow(docx)});
  SendMessageW(form->Control(IDC_OPTION2), BM_CLICK, 0, 0);
  const Shown done = Press(IDOK);
  EXPECT_EQ(done.bar, 100);
  EXPECT_EQ(done.pointer, PointerShape::kHourglass);
  EXPECT_EQ(form->Progress(), 0);
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(form->Files().Count(), 2u);
  EXPECT_TRUE(FileExists(folder.File(kResume + L".dotx")));

  EXPECT_TRUE(journal.AllExited()) << "a stand-in process was left running";
  const std::vector<Calls> calls = journal.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], Sent(doc, folder.File(kResume + L".dot"), 1));
  // The reason shown is the server's own description of the failure.
  const std::wstring head = L"Done.\r\n\r\n1 document could not be converted:\r\n" + doc + L": ";
  EXPECT_EQ(done.box.text.substr(0, head.size()), head);
  EXPECT_EQ(calls[1], Sent(doc, folder.File(kResume + L".dotx"), 14, Narrow(done.box.text.substr(head.size()))));
  EXPECT_EQ(calls[2], Sent(docx, folder.File(kResume + L".dotx"), 14));
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
  form->AppendEntries({Narrow(CopyFixture(L"letter.doc", folder.Path()))});
  const Shown warning = Press(IDNO);
  RevokeActiveObject(cookie, nullptr);
  EXPECT_EQ(warning.box.text,
            L"Word may be open. It is recommended that you close Word first.\r\n\r\n"
            L"Would you like to proceed anyway?");
  EXPECT_EQ(warning.box.defaultButton, IDYES);

  // Asked its name, nothing else: no document went to a new instance, and this one still runs.
  std::vector<DWORD> pids;
  ASSERT_EQ(journal.Calls(&pids), (std::vector<Calls>{{"Application: new", "Application: get (default)"}}));
  ScopedHandle server(OpenProcess(SYNCHRONIZE, FALSE, pids[0]));
  EXPECT_EQ(WaitForSingleObject(server.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
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
}  // namespace quillory::test
