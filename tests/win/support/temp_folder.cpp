#include "support/temp_folder.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace quillory::test {

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

}  // namespace quillory::test
