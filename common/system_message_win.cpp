#include "common/system_message_win.h"

#include <windows.h>

#include <memory>
#include <string_view>

#include "common/utf_win.h"

namespace quillory {
namespace {

// What is said of a code the system has no text for.
std::wstring ErrorNumber(unsigned long code) { return L"error " + std::to_wstring(code); }

struct LocalFreeDeleter {
  void operator()(wchar_t* text) const { LocalFree(text); }
};

}  // namespace

std::wstring SystemMessage(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreeDeleter> owned(buffer);
  const std::wstring_view raw = length && buffer ? std::wstring_view(buffer, length) : std::wstring_view();

  // A line break inside the text becomes one space; those at its end go.
  std::wstring text;
  text.reserve(raw.size());
  for (const wchar_t c : raw) {
    if (c != L'\r' && c != L'\n') {
      text.push_back(c);
    } else if (!text.empty() && text.back() != L' ') {
      text.push_back(L' ');
    }
  }
  while (!text.empty() && text.back() == L' ') text.pop_back();
  return text;
}

std::string SystemReason(unsigned long code) {
  const std::wstring text = SystemMessage(code);
  return Narrow(text.empty() ? ErrorNumber(code) : text);
}

std::wstring SystemPhrase(unsigned long code) {
  std::wstring text = SystemMessage(code);
  while (!text.empty() && text.back() == L'.') text.pop_back();
  return text.empty() ? ErrorNumber(code) : text;
}

}  // namespace quillory
