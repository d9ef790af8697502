#include "platform/hresult_text.h"

#include <cstdio>

#include "common/system_message_win.h"
#include "common/utf_win.h"

namespace quillory {

std::string HresultText(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  const std::wstring text = SystemMessage(static_cast<unsigned long>(hr));
  return text.empty() ? std::string(code) : Narrow(text) + " (" + code + ")";
}

}  // namespace quillory
