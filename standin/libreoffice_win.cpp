#include "libreoffice_win.h"

#include <string>

#include "common/utf_win.h"
#include "document_files_win.h"
#include "hazards_win.h"
#include "journal.h"
#include "office_command.h"
#include "office_folder_win.h"
#include "office_run_wine_win.h"
#include "office_run_windows_win.h"
#include "wine_bridge_win.h"

namespace standin {

OfficeOutcome ConvertWithOffice(std::string_view document, std::string_view extension, const EngineChoice& choice,
                                std::string* out, std::string* reason) {
  if (OfficeHidden()) return OfficeOutcome::kMissing;
  if (!PrepareOfficeFolder(reason)) return OfficeOutcome::kFailed;
  const std::string source = OfficeSourceName(choice.kind, extension);
  std::wstring why;
  if (!WriteWholeFile(OfficeFolder() + L"\\in\\" + quillory::Widen(source), std::string(document), &why)) {
    *reason = "the document could not be copied for LibreOffice: " + quillory::Narrow(why);
    return OfficeOutcome::kFailed;
  }
  Journal(L"Server: LibreOffice converts " + quillory::Widen(source) + L" to " + quillory::Widen(choice.extension));
  const WineCalls* wine = Wine();
  const int status = wine ? RunOfficeUnderWine(*wine, choice, source, reason) : RunOfficeOnWindows(choice, source, reason);
  if (status < 0) return OfficeOutcome::kFailed;
  if (status == kOfficeNotFound) return OfficeOutcome::kMissing;
  if (status == kOfficeOverdue) {
    *reason = "LibreOffice did not finish within " + std::to_string(OfficeLimitSeconds(kOfficeLimitSeconds)) +
              " seconds and was ended";
    return OfficeOutcome::kFailed;
  }
  const std::string made = source.substr(0, source.rfind('.')) + std::string(choice.extension);
  const bool wrote = ReadDocumentFile(OfficeFolder() + L"\\out\\" + quillory::Widen(made), true, out, &why) == ReadOutcome::kRead;
  if (status == 0 && wrote) {
    KeepSeedProfile();
    return OfficeOutcome::kConverted;
  }
  std::string printed;
  ReadDocumentFile(OfficeFolder() + L"\\output", true, &printed, &why);
  *reason = OfficeFailure(printed, status, wrote);
  return OfficeOutcome::kFailed;
}

}  // namespace standin
