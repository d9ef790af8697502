#include "support/form_fixture.h"

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/scoped_handles.h"

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

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return done();
    PumpPending();
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return true;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::wstring TestProgramFolder() {
  wchar_t path[MAX_PATH * 4];
  const std::wstring program(path, GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path))));
  return program.substr(0, program.find_last_of(L'\\'));
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const std::wstring name = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
  path_ = (std::filesystem::temp_directory_path() / (L"quillory-test-" + name)).wstring();
  std::filesystem::create_directory(path_);
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
  if (!options.homePage.draw) options.homePage.draw = [](float) { return 0.5f; };  // n = 51: no page
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
