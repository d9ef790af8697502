// What a failure code means, in words a user can read.
#pragma once

#include <windows.h>

#include <string>

namespace quillory {

// The system's text for an HRESULT with the code after it ("... (0x800706BE)"), or the code
// alone when the system has no text; UTF-8, one line.
std::string HresultText(HRESULT hr);

}  // namespace quillory
