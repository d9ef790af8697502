// A real Form1 inside the test program, made as every window test makes it, and the text of
// its list's rows.
#pragma once

#include <windows.h>

#include <gmock/gmock.h>

#include <memory>
#include <string>

#include "app/main_window.h"
#include "support/dialog_watcher.h"
#include "support/pump_win.h"

namespace quillory::test {

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
