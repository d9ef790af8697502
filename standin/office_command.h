// How the stand-in asks LibreOffice for a template: the command line of one headless
// conversion, the profile it runs in, and the reason when it fails. Portable: text only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine_choice.h"

namespace standin {

// The longest one conversion may take before the stand-in ends LibreOffice itself. The client
// ends a slower one long before (its own limit ends the instance); this bounds one whose client
// died meanwhile, which nobody else would end.
inline constexpr unsigned long kOfficeLimitSeconds = 600;

// Exit statuses of a run that are the stand-in's own: no LibreOffice to run, and one it ended
// at kOfficeLimitSeconds.
inline constexpr int kOfficeNotFound = 127;
inline constexpr int kOfficeOverdue = 124;

// A file URL for a Unix path ("/tmp/a b" -> "file:///tmp/a%20b") or a Windows one
// ("C:\a b" -> "file:///C:/a%20b"); every byte but unreserved ones, "/" and a drive's ":"
// is percent-encoded, so spaces and UTF-8 names survive.
std::string FileUrl(std::string_view path);

// The name the document is copied under for LibreOffice, whose type detection looks at the
// extension: fixed, so the user's name (quotes, Unicode, a leading "-") never reaches its
// command line.
std::string OfficeSourceName(DocumentKind kind, std::string_view extension);

// soffice's arguments after the program: headless, no first-start wizard or recovery, the
// profile given, the document converted into `outputFolder`.
std::vector<std::string> OfficeArguments(std::string_view profileUrl, const EngineChoice& choice,
                                         std::string_view outputFolder, std::string_view source);

// The profile's settings written before LibreOffice first starts in it: no macro of any
// document may run.
std::string_view ProfileSettings();

// Which kept-running LibreOffice converted, from the bridge's "Office: <process> <documents>"
// line: "process 412, its document 3"; empty when it printed none.
std::string OfficeThatConverted(std::string_view output);

// Why a conversion failed, from what LibreOffice printed, its exit status and whether it
// wrote a file: its own "Error: ..." line when it gave one, else what it did.
std::string OfficeFailure(std::string_view output, int exitStatus, bool wroteFile);

}  // namespace standin
