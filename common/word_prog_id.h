// The ProgID under which the word processor registers its automation server: the program asks
// for it, the stand-in registers under it where nothing else does. Its application object
// answers its default member with the name (another program under the ProgID with another).
#pragma once

namespace quillory {

inline constexpr wchar_t kWordProgId[] = L"Word.Application";
inline constexpr wchar_t kWordApplicationName[] = L"Microsoft Word";

}  // namespace quillory
