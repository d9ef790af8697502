// The stand-in failing as the word processor fails, driven through COM from the test: the
// password error, the wait behind a password prompt or a file in use, and the hazards a test
// switches on in the registry. A waiting server is ended from here, as Quillory ends one, and
// its pending call fails. Every case costs a server instance, so the calls share them.
#include <windows.h>
#include <wrl/client.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "common/utf_win.h"
#include "platform/dispatch.h"
#include "platform/scoped_handles.h"
#include "support/form_fixture.h"
#include "support/standin_support.h"

namespace quillory {
namespace {

constexpr HRESULT kCallFailed = HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);
constexpr HRESULT kWrongPassword = static_cast<HRESULT>(0x800A1520);

// Each call's HRESULT and the server's description of a failure.
using Results = std::vector<std::pair<HRESULT, std::wstring>>;
// Open's arguments: the path, more by position, and named ones.
struct OpenCall { std::wstring path; std::vector<Variant> more; std::vector<NamedArgument> named; };

// Documents.Open of each in a new instance, on a thread that a waiting call may hold for
// ever: detached, so a failing test never waits for it.
std::future<Results> OpenOnThread(std::vector<OpenCall> calls) {
  std::packaged_task<Results()> task([calls = std::move(calls)] {
    OleApartment apartment;
    Results results;
    CLSID clsid{};
    Microsoft::WRL::ComPtr<IDispatch> word, documents;
    if (SUCCEEDED(CLSIDFromProgID(L"Word.Application", &clsid)) &&
        SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&word))) &&
        GetProperty(word.Get(), L"Documents").value.ToDispatch(&documents)) {
      for (const OpenCall& call : calls) {
        std::vector<Variant> positional{Variant::String(call.path)};
        positional.insert(positional.end(), call.more.begin(), call.more.end());
        const DispatchResult result = CallMethod(documents.Get(), L"Open", positional, call.named);
        results.emplace_back(result.hr, result.description);
      }
    }
    return results;
  });
  std::future<Results> results = task.get_future();
  std::thread(std::move(task)).detach();
  return results;
}

class StandinHazardsTest : public ::testing::Test {
 protected:
  // A server that journals it waits still has the call pending a moment later; then it is
  // ended from here.
  Results EndWhenWaiting(const std::string& why, std::future<Results>& call) {
    const DWORD pid = journal.WaitForLine("Server: waiting for ever: " + why);
    EXPECT_EQ(call.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    EXPECT_TRUE(pid && test::EndProcess(pid)) << "no server waits: " << why;
    return call.wait_for(std::chrono::seconds(30)) == std::future_status::ready ? call.get() : Results{};
  }

  test::StandinJournal journal;
  test::TempFolder folder;
};

TEST_F(StandinHazardsTest, AGivenPasswordFailsAtOnceAndAPromptOrAFileInUseWaitsUnlessReadOnly) {
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());
  const std::wstring doc = test::CopyFixture(L"password.doc", folder.Path());
  HANDLE writer = CreateFileW(letter.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  const NamedArgument password{L"PasswordDocument", Variant::String(L"not it")};
  std::future<Results> call = OpenOnThread(
      {{doc, {}, {password}},
       {test::CopyFixture(L"password.docx", folder.Path()), {}, {password}},
       {letter, {Variant::Bool(false), Variant::Bool(true)}, {}},  // ReadOnly True, by position
       {letter, {}, {{L"ConfirmConversions", Variant::Bool(false)}, {L"ReadOnly", Variant::Bool(false)}, password}}});
  const Results inUse = EndWhenWaiting(Narrow(L"\"" + letter + L"\" is in use by another process"), call);
  CloseHandle(writer);
  const std::wstring wrong = L"The password is incorrect. Word cannot open the document.";
  EXPECT_EQ(inUse, (Results{{kWrongPassword, wrong}, {kWrongPassword, wrong}, {S_OK, L""}, {kCallFailed, L""}}));
  EXPECT_THAT(journal.Text(), ::testing::HasSubstr("Documents: call Open(\"" + Narrow(letter) +
                                                   "\", ConfirmConversions:=False, ReadOnly:=False, "
                                                   "PasswordDocument:=\"not it\")"));

  call = OpenOnThread({{doc, {}, {}}});  // without a password: the prompt nobody answers
  EXPECT_EQ(EndWhenWaiting(Narrow(L"\"" + doc + L"\" needs a password"), call), (Results{{kCallFailed, L""}}));
}

TEST_F(StandinHazardsTest, RegistryHazardsDelayTheStartAndHangOrEndOpenOfMatchingNamesOnly) {
  const std::wstring letter = test::CopyFixture(L"letter.doc", folder.Path());
  test::UserValues hazards;
  ASSERT_TRUE(hazards.Text(L"HangInOpen", L"HANG-*.d?c"));  // the whole name, never the folder
  ASSERT_TRUE(hazards.Text(L"ExitInOpen", L"to-exit.*"));
  std::future<Results> call;
  const ULONGLONG start = GetTickCount64();
  {
    test::UserValues slowStart;  // removed once read, so no other instance starts slowly
    ASSERT_TRUE(slowStart.Number(L"StartDelayMs", 1500));
    call = OpenOnThread({{letter, {}, {}}, {folder.Write(L"Hang-Letter.doc"), {}, {}}});
    EXPECT_NE(journal.WaitForLine("Server: start delayed 1500 ms by StartDelayMs"), 0u);
  }
  EXPECT_NE(journal.WaitForLine("Application: new"), 0u);  // served only after the delay
  EXPECT_GE(GetTickCount64() - start, 1500u);
  EXPECT_EQ(EndWhenWaiting("HangInOpen matches \"Hang-Letter.doc\"", call), (Results{{S_OK, L""}, {kCallFailed, L""}}));

  call = OpenOnThread({{letter, {}, {}}, {folder.Write(L"To-Exit.doc"), {}, {}}});
  ASSERT_EQ(call.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(call.get(), (Results{{S_OK, L""}, {kCallFailed, L""}}));
  EXPECT_NE(journal.WaitForLine("Server: exit in Open: ExitInOpen matches \"To-Exit.doc\""), 0u);
  EXPECT_TRUE(journal.AllExited());
}

}  // namespace
}  // namespace quillory
