// Window tests: a real Form1 inside the test program, and waiting for conditions while the
// test thread keeps the window's messages flowing.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/window_text.h"

namespace quillory::test {

// Runs waiting messages until `done` is true or the deadline passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = std::chrono::seconds(30));
void PumpPending();

// Where the test program runs from (drag.ico and HAND-M.CUR are installed beside it).
std::wstring TestProgramFolder();

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

// Form1 with the home page chance switched off unless the options say otherwise.
std::unique_ptr<Form1> MakeForm(Form1Options options = {});
std::wstring ListText(HWND list, int position);

}  // namespace quillory::test
