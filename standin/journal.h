// The stand-in's journal: one line per call, with its arguments in the caller's order,
// appended to the file named by the environment variable QUILLORY_STANDIN_JOURNAL when it is
// set. A COM server started by Wine inherits the environment of the client that asked for it.
// Each line is "<process id>\t<text>", written with one append while no other process
// appends, so processes may share a file.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace standin {

inline constexpr wchar_t kJournalVariable[] = L"QUILLORY_STANDIN_JOURNAL";

void Journal(std::wstring_view text);

// A value as the journal shows it: "text" for strings, 1 for 32-bit integers, True/False,
// otherwise the value with its type, e.g. 1:I2; ByRef prefixes a value passed by reference.
std::wstring JournalValue(const VARIANT& value);

}  // namespace standin
