#include "platform/message_box.h"

#include "platform/utf.h"

namespace quillory {

int ShowMessage(HWND owner, std::string_view utf8Text, UINT buttons) {
  return MessageBoxW(owner, Widen(utf8Text).c_str(), L"Quillory", buttons | MB_APPLMODAL);
}

}  // namespace quillory
