// The conversion run through the real window against the stand-in automation server: the
// calls Quillory sends, in order and with their values, the templates written (read by the
// test's own readers), the instances ended, and the check for a running instance. Every test
// of the running-object table lives in this one program so no other program's active object
// can disturb it.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "app/main_window.h"
#include "conversion/word_automation_win.h"
#include "platform/dispatch.h"
#include "common/utf_win.h"
#include "support/dialog_watcher.h"
#include "support/form_fixture.h"
#include "support/standin_support.h"

namespace quillory {
namespace {

using Calls = std::vector<std::string>;

const std::wstring kResume = L"R\u00e9sum\u00e9 \u03a9mega";  // a name outside any code page

// What one converted document sends, from the new instance to its exit.
Calls Converted(const std::wstring& document, const std::wstring& templ, int format) {
  return {"Application: new",
          "Application: names AutomationSecurity", "Application: put AutomationSecurity = 3",
          "Application: names DisplayAlerts", "Application: put DisplayAlerts = 0",
          "Application: names Documents", "Application: get Documents",
          "Documents: names Open", "Documents: call Open(\"" + Narrow(document) + "\")",
          "Document: names SaveAs, FileName, FileFormat, LockComments, Password, AddToRecentFiles, "
          "WritePassword, ReadOnlyRecommended, EmbedTrueTypeFonts, SaveNativePictureFormat, "
          "SaveFormsData, SaveAsAOCELetter",
          "Document: call SaveAs(FileName:=\"" + Narrow(templ) + "\", FileFormat:=" + std::to_string(format) +
              ", LockComments:=False, Password:=\"\", AddToRecentFiles:=True, WritePassword:=\"\", "
              "ReadOnlyRecommended:=False, EmbedTrueTypeFonts:=False, SaveNativePictureFormat:=False, "
              "SaveFormsData:=False, SaveAsAOCELetter:=False)",
          "Application: names Quit", "Application: call Quit()", "Server: exit after Quit"};
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
  int bar;
  PointerShape pointer;
  int defaultButton;
};

// An object of the test's own that answers its default member with a name.
struct NamedObject final : IDispatch {
  std::wstring name;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != DISPID_VALUE || !result) return DISP_E_MEMBERNOTFOUND;
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(name.c_str());
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
  void TearDown() override {
    if (HasFailure()) std::printf("stand-in journal:\n%s", journal.Text().c_str());
  }

  // Presses "Save As Dot", answering the message boxes with these buttons in turn.
  std::vector<Shown> Press(std::vector<int> answers) {
    std::vector<Shown> seen;
    {
      test::DialogWatcher watcher([&](HWND dialog) {
        Shown s{test::DescribeDialog(dialog).text, form->Progress(), form->MousePointer(), 0};
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          if ((GetWindowLongW(c, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) s.defaultButton = GetDlgCtrlID(c);
        }
        seen.push_back(s);
        test::PressDialogButton(dialog, seen.size() <= answers.size() ? answers[seen.size() - 1] : IDOK);
        return true;
      });
      SendMessageW(form->Control(IDC_CHECK2), BM_CLICK, 0, 0);
    }
    return seen;
  }

  // "Done." lists the one failed document with the server's reason, which names it; the
  // document's instance was told to quit without saving.
  void ExpectOneFailure(const std::wstring& text, const std::wstring& document, const Calls& calls) {
    const std::wstring head = L"Done.\r\n\r\n1 document could not be converted:\r\n" + document + L": ";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find(document, head.size()), std::wstring::npos) << Narrow(text);
    EXPECT_EQ(Calls(calls.end() - std::min<ptrdiff_t>(3, calls.size()), calls.end()),
              (Calls{"Application: names Quit, SaveChanges", "Application: call Quit(SaveChanges:=0)",
                     "Server: exit after Quit"}));
  }

  test::StandinJournal journal;
  test::TempFolder folder;
  std::vector<int> positions;
  std::unique_ptr<Form1> form;
};

TEST_F(ConversionTest, DotRunSendsTheExactCallsWritesBinaryTemplatesAndGoesPastAFailure) {
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());
  const std::wstring resume = test::CopyFixture(kResume + L".doc", folder.Path());
  const std::wstring missing = folder.File(L"missing.doc");
  form->AppendEntries({Narrow(letter), Narrow(missing), Narrow(resume)});

  const std::vector<Shown> seen = Press({IDOK});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].bar, 100);
  EXPECT_EQ(seen[0].pointer, PointerShape::kHourglass);
  EXPECT_EQ(positions, (std::vector<int>{33, 67, 100, 0}));
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
  EXPECT_EQ(form->Files().Count(), 3u);

  EXPECT_TRUE(journal.AllExited()) << "a stand-in process was left running";
  const std::vector<Calls> calls = journal.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], Converted(letter, folder.File(L"letter.dot"), 1));
  ExpectOneFailure(seen[0].text, missing, calls[1]);
  EXPECT_EQ(calls[2], Converted(resume, folder.File(kResume + L".dot"), 1));
  EXPECT_EQ(test::BinaryTemplateFlag(letter), std::optional<bool>(false));
  EXPECT_EQ(test::BinaryTemplateFlag(folder.File(L"letter.dot")), std::optional<bool>(true));
  EXPECT_EQ(test::BinaryTemplateFlag(folder.File(kResume + L".dot")), std::optional<bool>(true));
}

TEST_F(ConversionTest, DotxRunSendsFormat14AndWritesOpenXmlTemplatesWithoutMacros) {
  const std::wstring report = test::CopyFixture(L"report.docx", folder.Path());
  const std::wstring resume = test::CopyFixture(kResume + L".docx", folder.Path());
  const std::wstring macros = test::CopyFixture(L"macros.docm", folder.Path());
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());  // fails at SaveAs
  SendMessageW(form->Control(IDC_OPTION2), BM_CLICK, 0, 0);
  form->AppendEntries({Narrow(report), Narrow(resume), Narrow(macros), Narrow(letter)});

  const std::vector<Shown> seen = Press({IDOK});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(journal.AllExited()) << "a stand-in process was left running";
  const std::vector<Calls> calls = journal.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], Converted(report, folder.File(L"report.dotx"), 14));
  EXPECT_EQ(calls[1], Converted(resume, folder.File(kResume + L".dotx"), 14));
  EXPECT_EQ(calls[2], Converted(macros, folder.File(L"macros.dotx"), 14));
  ExpectOneFailure(seen[0].text, letter, calls[3]);
  for (const std::wstring& name : {std::wstring(L"report.dotx"), kResume + L".dotx", std::wstring(L"macros.dotx")}) {
    EXPECT_EQ(MainPartType(folder.File(name)),
              "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
  }
  EXPECT_EQ(test::ZipEntries(macros).count("word/vbaProject.bin"), 1u);
  std::map<std::string, std::string> dotx = test::ZipEntries(folder.File(L"macros.dotx"));
  EXPECT_EQ(dotx.count("word/vbaProject.bin"), 0u);
  EXPECT_EQ(dotx["[Content_Types].xml"].find("vbaProject"), std::string::npos);
}

TEST_F(ConversionTest, EmptyListSaysNoFilesAdded) {
  const std::vector<Shown> seen = Press({IDOK});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"No files added.");
  EXPECT_EQ(positions, std::vector<int>{0});
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);
}

TEST_F(ConversionTest, UnknownProgIdMeansNotInstalled) {
  EXPECT_EQ(SaveDocAsTemplate("C:\\letter.doc", TemplateTarget::kDot, L"Quillory.NoSuchServer").status,
            SaveOutcome::Status::kNotInstalled);
  EXPECT_FALSE(IsWordRunning(L"Quillory.NoSuchServer"));
}

TEST_F(ConversionTest, ActiveInstanceIsOnlyAskedItsNameAndTheDeclinedWarningConvertsNothing) {
  EXPECT_FALSE(IsWordRunning());
  CLSID clsid{};
  ASSERT_TRUE(SUCCEEDED(CLSIDFromProgID(kWordProgId, &clsid)));
  Microsoft::WRL::ComPtr<IDispatch> word;  // made active as a user's word processor would be
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&word))));
  DWORD cookie = 0;
  ASSERT_TRUE(SUCCEEDED(RegisterActiveObject(word.Get(), clsid, ACTIVEOBJECT_STRONG, &cookie)));
  EXPECT_TRUE(IsWordRunning());

  form->AppendEntries({Narrow(test::CopyFixture(L"letter.doc", folder.Path()))});
  const std::vector<Shown> seen = Press({IDNO});
  RevokeActiveObject(cookie, nullptr);
  EXPECT_FALSE(IsWordRunning());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text,
            L"Word may be open. It is recommended that you close Word first.\r\n\r\n"
            L"Would you like to proceed anyway?");
  EXPECT_EQ(seen[0].defaultButton, IDYES);
  EXPECT_EQ(positions, std::vector<int>{0});
  EXPECT_EQ(form->MousePointer(), PointerShape::kDefault);

  // Asked its name by the check and by the warning, nothing else; and it still runs.
  std::vector<DWORD> pids;
  EXPECT_EQ(journal.Calls(&pids),
            (std::vector<Calls>{{"Application: new", "Application: get (default)", "Application: get (default)"}}));
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_TRUE(test::IsRunning(pids[0]));
  CallMethod(word.Get(), L"Quit");
  word.Reset();
  EXPECT_TRUE(journal.AllExited());

  // Another object active under the ProgID is not the word processor.
  for (const wchar_t* name : {L"Microsoft Word 2", L"microsoft word"}) {
    NamedObject other;
    other.name = name;
    ASSERT_TRUE(SUCCEEDED(RegisterActiveObject(&other, clsid, ACTIVEOBJECT_STRONG, &cookie)));
    EXPECT_FALSE(IsWordRunning()) << Narrow(name);
    RevokeActiveObject(cookie, nullptr);
  }
}

}  // namespace
}  // namespace quillory
