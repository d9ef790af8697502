#include "document_files_win.h"

#include "common/scoped_handles_win.h"
#include "common/system_message_win.h"

namespace standin {

ReadOutcome ReadDocumentFile(const std::wstring& path, bool readOnly, std::string* bytes, std::wstring* error) {
  const DWORD share = readOnly ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
  const quillory::ScopedHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD why = GetLastError();
    if (why == ERROR_SHARING_VIOLATION && !readOnly) return ReadOutcome::kInUse;
    *error = quillory::SystemPhrase(why);
    return ReadOutcome::kFailed;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file.Get(), &size) && size.QuadPart < (512ll << 20);
  if (ok) {
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes->empty() || (ReadFile(file.Get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
                            read == bytes->size());
  }
  if (!ok) *error = quillory::SystemPhrase(GetLastError());
  return ok ? ReadOutcome::kRead : ReadOutcome::kFailed;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::wstring* error) {
  const std::wstring temporary = path + L".standin-" + std::to_wstring(GetCurrentProcessId());
  quillory::ScopedHandle file(
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    *error = quillory::SystemPhrase(GetLastError());
    return false;
  }
  DWORD written = 0;
  const bool ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  const DWORD writeError = GetLastError();
  file.Reset();  // closed before it is moved
  if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    *error = quillory::SystemPhrase(ok ? GetLastError() : writeError);
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

void RemoveFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  if (const quillory::ScopedFind search(FindFirstFileW((folder + L"\\*").c_str(), &found)); search) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link) {
        RemoveFolderTree(path);
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search.Get(), &found));
  }  // the search is closed before its folder goes
  RemoveDirectoryW(folder.c_str());
}

bool CopyFolderTree(const std::wstring& from, const std::wstring& to) {
  if (!CreateDirectoryW(to.c_str(), nullptr)) return false;
  WIN32_FIND_DATAW found;
  const quillory::ScopedFind search(FindFirstFileW((from + L"\\*").c_str(), &found));
  if (!search) return false;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::wstring source = from + L"\\" + name, target = to + L"\\" + name;
    ok = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CopyFolderTree(source, target)
                                                             : CopyFileW(source.c_str(), target.c_str(), TRUE);
  } while (ok && FindNextFileW(search.Get(), &found));
  return ok;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring FullPath(const std::wstring& path) {
  wchar_t buffer[4096];
  const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
  return n > 0 && n < std::size(buffer) ? std::wstring(buffer, n) : path;
}

std::string LowerExtension(const std::wstring& path) {
  const size_t dot = path.rfind(L'.');
  const size_t separator = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return {};
  std::string extension;
  for (wchar_t c : path.substr(dot)) extension.push_back(static_cast<char>(c < 128 ? towlower(c) : '?'));
  return extension;
}

}  // namespace standin
