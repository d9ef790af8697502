// Hazards a test can switch on to make the stand-in misbehave as the word processor can:
// values under HKCU\Software\Quillory\Standin, all absent unless a test sets them.
//   HangInOpen    REG_SZ     Open of a matching document never returns (a prompt nobody sees)
//   ExitInOpen    REG_SZ     the process exits in the middle of Open of a matching document
//   HangInName    REG_DWORD  non-zero: asked its name, the application never answers (a dialog
//                            of its own holds it, as a user's word processor's may)
//   ApplicationName REG_SZ   the name the application gives in place of "Microsoft Word" (as
//                            another program registered under the ProgID would)
//   StartDelayMs  REG_DWORD  the server sleeps this long before it registers its class object
//   SecondDocument REG_SZ    Open of a matching document also opens another one, as when the
//                            word processor hands a user's document to this instance
//   RefuseOnce    REG_DWORD  the next instance asked for by any client is refused (the value is
//                            removed by the one server that refuses), and that server exits
//   HideOffice    REG_DWORD  non-zero: LibreOffice counts as not installed
//   HideUno       REG_DWORD  non-zero: LibreOffice's Python bridge counts as not installed, so
//                            each conversion runs soffice itself
//   OfficeCommand REG_SZ     a shell command run in LibreOffice's place, given soffice's
//                            arguments (under Wine: a Unix command; on Windows: a program)
//   OfficeLimitSeconds REG_DWORD  how long one conversion may take before the stand-in ends
//                            LibreOffice itself (600 unless set)
//   ChangeNormal  REG_SZ     Open of a matching document changes the Normal template: Quit then
//                            asks whether to save it, unless it was marked saved
//   ChangeAfterSave REG_SZ   a matching document is changed again once saved (fields updated):
//                            Quit then asks whether to save it, unless told not to save changes
// A pattern holds * and ? and is matched, ignoring case, against the document's file name
// without its folder.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace standin {

inline constexpr wchar_t kHangInOpen[] = L"HangInOpen";
inline constexpr wchar_t kExitInOpen[] = L"ExitInOpen";
inline constexpr wchar_t kSecondDocument[] = L"SecondDocument";
inline constexpr wchar_t kChangeNormal[] = L"ChangeNormal";
inline constexpr wchar_t kChangeAfterSave[] = L"ChangeAfterSave";

// Whether the pattern in the named REG_SZ value matches this file name; false when the
// value is absent or empty. Read at every call, so a test may change it between calls.
bool HazardMatches(const wchar_t* value, std::wstring_view fileName);
// StartDelayMs, or 0 when absent.
DWORD StartDelayMs();
// True for the one server that takes RefuseOnce away.
bool TakeRefusal();
bool NameHangs();
// ApplicationName, or "Microsoft Word" when absent.
std::wstring ApplicationName();
bool OfficeHidden();
bool UnoHidden();
// OfficeCommand, or "" when absent.
std::wstring OfficeCommand();
// OfficeLimitSeconds, or `otherwise` when absent or 0.
DWORD OfficeLimitSeconds(DWORD otherwise);

}  // namespace standin
