// The system's own words for an error code.
#pragma once

#include <string>

namespace quillory {

// The text for a Win32 error code or an HRESULT, on one line; empty when the system has none.
std::wstring SystemMessage(unsigned long code);

}  // namespace quillory
