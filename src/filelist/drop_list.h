// The shell's file-drop list as it lies in memory: a DROPFILES header (the offset of the list
// at byte 0, the wide flag at byte 16) and the names, each closed by a NUL, the list by an
// empty name. Read here without the window system, once, front to back.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Turns a name in the ANSI code page into UTF-8 (the platform knows the code page).
using AnsiToUtf8 = std::function<std::string(std::string_view)>;

// Every name of the list in its order, as UTF-8; empty names are left out. Nothing (nullopt)
// when the header is short, the list starts outside the block, or the list does not end
// inside it: a broken source must not have its names read past the end of its memory.
std::optional<std::vector<std::string>> ParseDropList(std::string_view block, const AnsiToUtf8& fromAnsi);

// UTF-16 (little-endian bytes) to UTF-8; a surrogate without its pair becomes U+FFFD, as
// the system's own conversion does.
std::string Utf16LeToUtf8(std::string_view bytes);

}  // namespace quillory
