// Programs a test starts: Windows ones by their command line, Unix ones through bash, and the
// windows they show.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/scoped_handles_win.h"

namespace quillory::test {

// Starts a program by its command line, in the folder `in` if one is given; false when it did
// not start. `process` takes its handle (which tells nothing of a Unix program), `id` its id.
// Given `out`, its output goes there and its errors to `err`, handles it inherits.
bool StartProgram(std::wstring commandLine, ScopedHandle* process = nullptr, DWORD* id = nullptr,
                  const std::wstring& in = {}, HANDLE out = nullptr, HANDLE err = nullptr, DWORD flags = 0);
// Waits for a visible window of `process` of the class given; null when none comes.
HWND WaitForWindow(DWORD process, const wchar_t* windowClass);
// Runs a Unix command through bash in the folder `in` (far faster than Wine at making or
// removing many files) and waits until `done`, as Wine's process handle tells nothing.
bool RunUnix(const std::string& command, const std::wstring& in, const std::function<bool()>& done);

}  // namespace quillory::test
