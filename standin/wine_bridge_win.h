// Wine's bridge to Unix programs: its own exports, found only when the process runs under Wine,
// to start a Unix program and to name a Windows path as Unix sees it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

struct WineCalls {
  using Spawn = LONG(CDECL*)(char* const* argv, int wait);
  using UnixName = char*(CDECL*)(const wchar_t* path);
  Spawn spawn = nullptr;
  UnixName unixName = nullptr;
};

// Wine's own calls; null when the process does not run under Wine.
const WineCalls* Wine();

// The Unix path of a Windows one; empty when Wine has none for it.
std::string UnixPath(const WineCalls& wine, const std::wstring& path);

// Runs a Unix program and waits for it; its exit status, or -1 when it did not start.
int RunUnix(const WineCalls& wine, std::vector<std::string> words);

}  // namespace standin
