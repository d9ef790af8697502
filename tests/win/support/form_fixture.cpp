#include "support/form_fixture.h"

#include <commctrl.h>
#include <shellapi.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "platform/scoped_handles.h"

#include <atomic>
#include <optional>
#include <thread>

namespace quillory::test {

namespace {

// Every window test program runs in an OLE apartment, as the program does: the list's drop
// target and the automation need it.
class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    apartment_.emplace();
    ASSERT_TRUE(apartment_->Ok());
  }
  void TearDown() override { apartment_.reset(); }

 private:
  std::optional<OleApartment> apartment_;
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
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"quillory-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  std::wstring from = path_ + L'\0';
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationW(&operation);
}

std::wstring TempFolder::Write(const std::wstring& relative, const std::string& bytes) const {
  const std::wstring path = File(relative);
  for (size_t slash = path.find(L'\\', path_.size() + 1); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  return path;
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
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = static_cast<int>(std::size(buffer));
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

}  // namespace quillory::test
