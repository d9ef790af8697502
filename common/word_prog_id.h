// The ProgID under which the word processor registers its automation server: the program asks
// for it, the stand-in registers under it where nothing else does.
#pragma once

namespace quillory {

inline constexpr wchar_t kWordProgId[] = L"Word.Application";

}  // namespace quillory
