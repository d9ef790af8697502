// LibreOffice run by the stand-in for what it cannot convert itself. Each process (one
// instance) works in a folder of its own under the temporary folder:
//   QuilloryStandin-<process id>\profile   its LibreOffice profile, never shared
//                               \home      HOME for LibreOffice under Wine
//                               \in \out   one conversion's document and template
// Its profile starts as a copy of QuilloryStandin.profile there, a profile LibreOffice has
// started in once, when one has been kept (starting in an empty one is slower).
// LibreOffice dies with the instance: on Windows it runs in a job that is killed when the
// instance's last handle goes; under Wine (a Unix child outlives the Windows process that
// started it) a watcher beside it kills its whole process group and removes the folder as
// soon as the instance's process is gone.
#pragma once

#include <string>
#include <string_view>

#include "engine_choice.h"

namespace standin {

enum class OfficeOutcome { kConverted, kMissing, kFailed };

// The file LibreOffice wrote, as bytes, or the reason it gave none (kFailed). `extension` is
// the document's own, lower case with its dot. Blocks until LibreOffice ends.
OfficeOutcome ConvertWithOffice(std::string_view document, std::string_view extension, const EngineChoice& choice,
                                std::string* out, std::string* reason);

// Removes the instance's folder, profile and all; called when the instance quits.
void RemoveOfficeFolder();

}  // namespace standin
