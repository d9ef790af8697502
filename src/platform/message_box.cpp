#include "platform/message_box.h"

#include "common/utf_win.h"

namespace quillory {

int ShowMessage(HWND owner, std::string_view utf8Text, UINT buttons) {
  return MessageBoxW(owner, Widen(utf8Text).c_str(), kAppTitle, buttons | MB_APPLMODAL);
}

}  // namespace quillory
