#include "support/form_fixture.h"

#include <commctrl.h>

namespace quillory::test {

std::unique_ptr<Form1> MakeForm(Form1Options options) {
  if (!options.homePage.draw) options.homePage.draw = [](float) { return 0.5f; };  // a draw that never opens it
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
