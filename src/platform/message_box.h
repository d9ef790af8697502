// Every message to the user: modal, titled "Quillory", no icon.
#pragma once

#include <windows.h>

#include <string_view>

namespace quillory {

// The title of the window and of every message and box it shows.
inline constexpr wchar_t kAppTitle[] = L"Quillory";

// `buttons` is MB_OK or MB_YESNO (with MB_DEFBUTTON1); returns IDOK, IDYES or IDNO.
int ShowMessage(HWND owner, std::string_view utf8Text, UINT buttons = MB_OK);

}  // namespace quillory
