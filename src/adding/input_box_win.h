// A modal input box of our own: a prompt, an edit field with a default answer, OK and Cancel.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quillory {

// Control identifier of the answer field (tests fill it).
inline constexpr int kInputBoxAnswerId = 1001;
inline constexpr int kInputBoxPromptId = 1002;

// Shows the box over `owner` and waits; the text in the field on OK, nullopt on Cancel or
// when the box is closed.
std::optional<std::wstring> InputBox(HWND owner, const std::wstring& title, const std::wstring& prompt,
                                     const std::wstring& defaultAnswer);

}  // namespace quillory
