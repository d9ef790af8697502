// Every message to the user: modal, titled "Quillory", no icon.
#pragma once

#include <windows.h>

#include <string_view>

namespace quillory {

// `buttons` is MB_OK or MB_YESNO (with MB_DEFBUTTON1); returns IDOK, IDYES or IDNO.
int ShowMessage(HWND owner, std::string_view utf8Text, UINT buttons = MB_OK);

}  // namespace quillory
