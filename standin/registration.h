// Registration of the stand-in as the local server of "Word.Application", under
// HKLM\Software\Classes (Wine reads no per-user classes). It never takes the ProgID from
// another server: registration refuses when the ProgID already names a different class.
#pragma once

#include "common/word_prog_id.h"

#include <windows.h>

#include <string>

namespace standin {

// {9316297D-C0C4-4205-BE09-10E01EFA1F4D}
inline constexpr CLSID kStandinClsid = {0x9316297d, 0xc0c4, 0x4205, {0xbe, 0x09, 0x10, 0xe0, 0x1e, 0xfa, 0x1f, 0x4d}};
inline constexpr const wchar_t* kProgId = quillory::kWordProgId;

// 0 on success; otherwise a process exit code, with the reason in *message.
int RegisterServer(std::wstring* message);
int UnregisterServer(std::wstring* message);

}  // namespace standin
