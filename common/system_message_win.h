// The system's own words for an error code.
#pragma once

#include <string>

namespace quillory {

// The system's text for a Win32 error code or an HRESULT, on one line and without the
// line break it ends with; empty when the system has no text for it.
std::wstring SystemMessage(unsigned long code);

// The same in UTF-8, for a reason shown after a file's name: "error N" when the system has no
// text for the code.
std::string SystemReason(unsigned long code);

// The same inside a sentence: without its full stop, and "error N" when there is no text.
std::wstring SystemPhrase(unsigned long code);

}  // namespace quillory
