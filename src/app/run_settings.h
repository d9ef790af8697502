// The user's settings for a conversion run, under HKCU\Software\Quillory, read in this one
// place for both programs. None is needed: each has its default.
#pragma once

#include "conversion/word_automation_win.h"

namespace quillory {

// The limit per document, in seconds (REG_DWORD).
inline constexpr wchar_t kTimeLimitSetting[] = L"DocumentTimeLimitSeconds";
// How many instances are started ahead of the document converting (REG_DWORD, at most
// kMostInstancesAhead); 0 starts each only when its document's turn comes.
inline constexpr wchar_t kInstancesAheadSetting[] = L"InstancesAhead";

RunSettings ReadRunSettings();

}  // namespace quillory
