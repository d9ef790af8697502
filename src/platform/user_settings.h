// The user's own settings for Quillory, under HKEY_CURRENT_USER\Software\Quillory. None is
// needed: each has a default where it is read.
#pragma once

#include <optional>

namespace quillory {

inline constexpr wchar_t kSettingsKey[] = L"Software\\Quillory";

// A number (REG_DWORD) set under the key; nothing when it is absent or of another type.
std::optional<unsigned long> UserSettingNumber(const wchar_t* name);

}  // namespace quillory
