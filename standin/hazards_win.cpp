#include "hazards_win.h"

#include <string>

#include "common/word_prog_id.h"

namespace standin {
namespace {

constexpr wchar_t kHazardKey[] = L"Software\\Quillory\\Standin";

std::wstring ReadText(const wchar_t* value) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kHazardKey, value, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kHazardKey, value, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  text.resize(text.find(L'\0'));
  return text;
}

bool SameLetter(wchar_t a, wchar_t b) { return CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL; }

// * stands for any run of characters, ? for one.
bool MatchesPattern(std::wstring_view pattern, std::wstring_view name) {
  // Greedy, going back to the last * on a mismatch: never recursive, at worst pattern x name steps.
  size_t p = 0, n = 0, star = std::wstring_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == L'?' || SameLetter(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (star != std::wstring_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

}  // namespace

bool HazardMatches(const wchar_t* value, std::wstring_view fileName) {
  const std::wstring pattern = ReadText(value);
  return !pattern.empty() && MatchesPattern(pattern, fileName);
}

static DWORD ReadNumber(const wchar_t* value) {
  DWORD number = 0, bytes = sizeof(number);
  if (RegGetValueW(HKEY_CURRENT_USER, kHazardKey, value, RRF_RT_REG_DWORD, nullptr, &number, &bytes) != ERROR_SUCCESS) {
    return 0;
  }
  return number;
}

DWORD StartDelayMs() { return ReadNumber(L"StartDelayMs"); }
std::wstring ApplicationName() {
  const std::wstring name = ReadText(L"ApplicationName");
  return name.empty() ? quillory::kWordApplicationName : name;
}
bool NameHangs() { return ReadNumber(L"HangInName") != 0; }
bool OfficeHidden() { return ReadNumber(L"HideOffice") != 0; }
bool UnoHidden() { return ReadNumber(L"HideUno") != 0; }
std::wstring OfficeCommand() { return ReadText(L"OfficeCommand"); }
DWORD OfficeLimitSeconds(DWORD otherwise) {
  const DWORD seconds = ReadNumber(L"OfficeLimitSeconds");
  return seconds ? seconds : otherwise;
}

bool TakeRefusal() { return RegDeleteKeyValueW(HKEY_CURRENT_USER, kHazardKey, L"RefuseOnce") == ERROR_SUCCESS; }

}  // namespace standin
