// The instance's own folder for LibreOffice under the temporary folder:
//   QuilloryStandin-<process id>\profile   its LibreOffice profile, never shared
//                               \home      HOME for LibreOffice under Wine
//                               \in \out   one conversion's document and template
// Its profile starts as a copy of QuilloryStandin.profile there, a profile LibreOffice has
// started in once, when one has been kept (starting in an empty one is slower).
#pragma once

#include <string>

namespace standin {

const std::wstring& OfficeFolder();

// The instance's folder with its profile's settings (the whole seed profile when `seeded`), and
// empty in and out folders for this conversion; false with the reason.
bool PrepareOfficeFolder(bool seeded, std::string* reason);

// Keeps this instance's profile as the seed when there is none yet.
void KeepSeedProfile();

// Removes the instance's folder, profile and all; called when the instance quits.
void RemoveOfficeFolder();

}  // namespace standin
