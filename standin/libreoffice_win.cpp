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
  const WineCalls* wine = Wine();
  // Under Wine a LibreOffice kept running converts, unless its bridge is missing; a soffice of
  // the instance's own otherwise, in a profile copied from the seed.
  bool bridged = wine && !UnoHidden();
  if (!PrepareOfficeFolder(!bridged, reason)) return OfficeOutcome::kFailed;
  const std::string source = OfficeSourceName(choice.kind, extension);
  std::wstring why;
  if (!WriteWholeFile(OfficeFolder() + L"\\in\\" + quillory::Widen(source), std::string(document), &why)) {
    *reason = "the document could not be copied for LibreOffice: " + quillory::Narrow(why);
    return OfficeOutcome::kFailed;
  }
  Journal(L"Server: LibreOffice converts " + quillory::Widen(source) + L" to " + quillory::Widen(choice.extension));
  int status = bridged ? RunBridgeUnderWine(*wine, choice, source, reason) : kNoBridge;
  if (status == kNoBridge) {
    bridged = false;
    status = wine ? RunOfficeUnderWine(*wine, choice, source, reason) : RunOfficeOnWindows(choice, source, reason);
  }
  if (status < 0) return OfficeOutcome::kFailed;
  if (status == kOfficeNotFound) return OfficeOutcome::kMissing;
  if (status == kOfficeOverdue) {
    *reason = "LibreOffice did not finish within " + std::to_string(OfficeLimitSeconds(kOfficeLimitSeconds)) +
              " seconds and was ended";
    return OfficeOutcome::kFailed;
  }
  const std::string made = source.substr(0, source.rfind('.')) + std::string(choice.extension);
  const bool wrote = ReadDocumentFile(OfficeFolder() + L"\\out\\" + quillory::Widen(made), true, out, &why) == ReadOutcome::kRead;
  std::string printed;
  ReadDocumentFile(OfficeFolder() + L"\\output", true, &printed, &why);
  if (const std::string office = OfficeThatConverted(printed); !office.empty()) {
    Journal(L"Server: LibreOffice " + quillory::Widen(office));
  }
  if (status == 0 && wrote) {
    if (!bridged) KeepSeedProfile();
    return OfficeOutcome::kConverted;
  }
  *reason = OfficeFailure(printed, status, wrote);
  return OfficeOutcome::kFailed;
}

}  // namespace standin
