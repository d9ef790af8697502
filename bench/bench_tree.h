// A large tree of documents made once for the benchmarks, and the bare enumeration a walk of it
// is weighed against.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// 100 folders of 99 subfolders each for 10,000 folders, the files spread evenly, the
// extensions given in turn. Made once: a marker beside the tree says it is there.
inline bool MakeTree(const std::wstring& root, size_t files, size_t folders, const std::vector<const wchar_t*>& extensions) {
  const std::wstring marker = root + L".made";  // beside the tree, not in it
  if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::printf("making the tree (once): %zu files in %zu folders...\n", files, folders);
  std::fflush(stdout);
  CreateDirectoryW(root.c_str(), nullptr);
  const size_t top = std::max<size_t>(1, folders / 100);
  std::vector<std::wstring> all;
  for (size_t i = 0; i < top && all.size() < folders; ++i) {
    const std::wstring parent = root + L"\\d" + std::to_wstring(1000 + i);
    CreateDirectoryW(parent.c_str(), nullptr);
    all.push_back(parent);
  }
  for (size_t i = 0; all.size() < folders; ++i) {
    const std::wstring child = all[i % top] + L"\\s" + std::to_wstring(1000 + i / top);
    CreateDirectoryW(child.c_str(), nullptr);
    all.push_back(child);
  }
  for (size_t i = 0; i < files; ++i) {
    const std::wstring path = all[i % all.size()] + L"\\file" + std::to_wstring(100000 + i) + extensions[i % extensions.size()];
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  return true;
}

// The bare enumeration: every folder listed once with FindFirstFileExW, nothing done per entry
// beyond going into folders.
inline size_t BareEnumeration(const std::wstring& folder) {
  size_t entries = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    const std::wstring current = std::move(pending.back());
    pending.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((current + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      ++entries;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != L'.') {
        pending.push_back(current + L"\\" + data.cFileName);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return entries;
}

}  // namespace bench
