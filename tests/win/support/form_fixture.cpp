#include "support/form_fixture.h"

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace quillory::test {
namespace {
// Every window test program runs in an OLE apartment, as the program does.
struct OleEnvironment : ::testing::Environment {
  void SetUp() override { ASSERT_TRUE(apartment.emplace().Ok()); }
  void TearDown() override { apartment.reset(); }
  std::optional<OleApartment> apartment;
};
::testing::Environment* const kOleEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);
}  // namespace

bool StartProgram(std::wstring commandLine, ScopedHandle* process, DWORD* id, const std::wstring& in, HANDLE out,
                  HANDLE err, DWORD flags) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = out ? STARTF_USESTDHANDLES : 0;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, out != nullptr, flags, nullptr,
                      in.empty() ? nullptr : in.c_str(), &startup, &started)) {
    return false;
  }
  CloseHandle(started.hThread);
  ScopedHandle owned(started.hProcess);
  if (process) *process = std::move(owned);
  if (id) *id = started.dwProcessId;
  return true;
}

HWND WaitForWindow(DWORD process, const wchar_t* windowClass) {
  HWND found = nullptr;
  PumpUntil([&] {
    for (HWND window = nullptr; !found && (window = FindWindowExW(nullptr, window, windowClass, nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == process && IsWindowVisible(window)) found = window;
    }
    return found != nullptr;
  });
  return found;
}

bool RunUnix(const std::string& command, const std::wstring& in, const std::function<bool()>& done) {
  return StartProgram(L"/bin/bash -c \"" + Widen(command) + L"\"", nullptr, nullptr, in) &&
         PumpUntil(done, std::chrono::minutes(2));
}

ProbeWindow::ProbeWindow(std::function<void(UINT, WPARAM)> onMessage)
    : onMessage_(std::move(onMessage)),
      hwnd_(CreateWindowW(L"Message", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
  SetWindowSubclass(hwnd_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK ProbeWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  if (msg < WM_APP) return DefSubclassProc(hwnd, msg, wParam, lParam);
  reinterpret_cast<ProbeWindow*>(self)->onMessage_(msg, wParam);
  return 0;
}

TempFolder::TempFolder() {
  // Wine reuses process ids, and a test that crashed leaves its folder behind: a name is taken
  // only when its folder is made afresh (create_directory throws when none can be made at all).
  static std::atomic<int> counter{0};
  do {
    const std::wstring name = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    path_ = (std::filesystem::temp_directory_path() / (L"quillory-test-" + name)).wstring();
  } while (!std::filesystem::create_directory(path_));
}

TempFolder::~TempFolder() {
  const std::wstring from = path_ + L'\0';  // a list of names, ended by an empty one
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationW(&operation);
}

std::wstring TempFolder::Write(const std::wstring& relative, const std::string& bytes) const {
  const std::filesystem::path path = File(relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path.wstring();
}

std::unique_ptr<Form1> MakeForm(Form1Options options) {
  if (!options.homePage.draw) options.homePage.draw = [](float) { return 0.5f; };  // a draw that never opens it
  if (!options.homePage.launch) options.homePage.launch = [](const std::string&) {};
  std::unique_ptr<Form1> form = Form1::Create(GetModuleHandleW(nullptr), std::move(options));
  if (form) PumpPending();
  return form;
}

std::wstring ListText(HWND list, int position) {
  wchar_t buffer[4096] = {};
  ListView_GetItemText(list, position, 0, buffer, static_cast<int>(std::size(buffer)));
  return buffer;
}

}  // namespace quillory::test
