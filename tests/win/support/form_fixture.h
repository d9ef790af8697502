// Window tests: a real Form1 inside the test program, and waiting for conditions while the
// test thread keeps the window's messages flowing. Every window test starts from this header,
// which brings the system's, GoogleTest's and the support's headers they share.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "common/utf_win.h"
#include "platform/files.h"
#include "common/scoped_handles_win.h"
#include "platform/window_text.h"
#include "support/dialog_watcher.h"
#include "support/pump_win.h"

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

// A message-only window of the test's thread that hands each message from WM_APP on to
// `onMessage`: a way to run test code at the point the thread's messages have reached.
class ProbeWindow {
 public:
  explicit ProbeWindow(std::function<void(UINT msg, WPARAM wParam)> onMessage);
  ~ProbeWindow() { DestroyWindow(hwnd_); }
  HWND Hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  std::function<void(UINT, WPARAM)> onMessage_;
  HWND hwnd_;
};

// A fresh folder under the temporary folder, removed with its contents at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& relative) const { return path_ + L"\\" + relative; }
  // Makes the file, and its folders.
  std::wstring Write(const std::wstring& relative, const std::string& bytes = "x") const;

 private:
  std::wstring path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string FileBytes(const std::wstring& path) { return ReadSmallFile(path, size_t{1} << 30).value_or(""); }

// Form1 with the home page chance switched off unless the options say otherwise.
std::unique_ptr<Form1> MakeForm(Form1Options options = {});
std::wstring ListText(HWND list, int position);

// A test with a fresh Form1 made as MakeForm makes it.
class FormTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(form = MakeForm()); }
  std::unique_ptr<Form1> form;
};

}  // namespace quillory::test
