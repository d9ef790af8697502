// A conversion LibreOffice makes for the stand-in where it cannot convert itself: the document
// copied into the instance's folder (office_folder_win.h), LibreOffice run under Wine or on
// Windows, and the template it wrote or the reason it wrote none.
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

}  // namespace standin
