#include "conversion/word_automation.h"

#include <wrl/client.h>

#include <array>

#include "platform/com_activation.h"
#include "platform/dispatch.h"
#include "platform/hresult_text.h"
#include "platform/message_filter.h"

namespace quillory {
namespace {

using Microsoft::WRL::ComPtr;

// Word's constants, by their values.
constexpr int32_t kMsoAutomationSecurityForceDisable = 3;
constexpr int32_t kWdAlertsNone = 0;
constexpr int32_t kWdDoNotSaveChanges = 0;

// The server's own description says enough; without one, the step and the system's text.
SaveOutcome Failure(std::string_view step, const DispatchResult& result) {
  if (!result.description.empty()) return SaveOutcome::Failed(result.Reason());
  return SaveOutcome::Failed(std::string(step) + ": " + result.Reason());
}

// The steps after the instance exists; on failure the caller still ends the instance.
SaveOutcome OpenAndSave(IDispatch* application, std::string_view documentPath,
                        TemplateTarget target) {
  // No prompt may wait on a window nobody sees, and no macro of the document may run.
  DispatchResult put = PutProperty(application, L"AutomationSecurity",
                                   Variant::Int32(kMsoAutomationSecurityForceDisable));
  if (!put.Ok()) return Failure("Macros could not be turned off", put);
  put = PutProperty(application, L"DisplayAlerts", Variant::Int32(kWdAlertsNone));
  if (!put.Ok()) return Failure("Alerts could not be turned off", put);

  DispatchResult documents = GetProperty(application, L"Documents");
  ComPtr<IDispatch> documentsObject;
  if (!documents.Ok()) return Failure("Documents", documents);
  if (!documents.value.ToDispatch(&documentsObject)) {
    return SaveOutcome::Failed("Documents: the server returned no object");
  }

  const Variant path = Variant::Utf8(documentPath);
  DispatchResult opened = CallMethod(documentsObject.Get(), L"Open", std::span<const Variant>(&path, 1));
  if (!opened.Ok()) return Failure("Open", opened);
  ComPtr<IDispatch> document;
  if (!opened.value.ToDispatch(&document)) {
    return SaveOutcome::Failed("Open: the server returned no document");
  }

  const std::array<NamedArgument, 11> saveAs = {{
      {L"FileName", Variant::Utf8(TemplatePath(documentPath, target))},
      {L"FileFormat", Variant::Int32(TemplateFileFormat(target))},
      {L"LockComments", Variant::Bool(false)},
      {L"Password", Variant::String(L"")},
      {L"AddToRecentFiles", Variant::Bool(true)},
      {L"WritePassword", Variant::String(L"")},
      {L"ReadOnlyRecommended", Variant::Bool(false)},
      {L"EmbedTrueTypeFonts", Variant::Bool(false)},
      {L"SaveNativePictureFormat", Variant::Bool(false)},
      {L"SaveFormsData", Variant::Bool(false)},
      {L"SaveAsAOCELetter", Variant::Bool(false)},
  }};
  DispatchResult saved = CallMethod(document.Get(), L"SaveAs", {}, saveAs);
  if (!saved.Ok()) return Failure("SaveAs", saved);
  return SaveOutcome::Saved();
}

}  // namespace

SaveOutcome SaveDocAsTemplate(std::string_view documentPath, TemplateTarget target,
                              const wchar_t* progId) {
  // Always a new instance of its own, never the user's running one.
  ComPtr<IDispatch> application;
  const HRESULT hr = CreateLocalInstance(progId, &application);
  if (IsUnknownClass(hr)) return SaveOutcome::NotInstalled(HresultText(hr));
  if (FAILED(hr)) return SaveOutcome::Failed("Word could not be started: " + HresultText(hr));

  SaveOutcome outcome = OpenAndSave(application.Get(), documentPath, target);
  if (outcome.status == SaveOutcome::Status::kSaved) {
    DispatchResult quit = CallMethod(application.Get(), L"Quit");
    if (!quit.Ok()) outcome = Failure("Quit", quit);
  } else {
    // Nothing of a failed document is kept, and its invisible instance does not linger.
    const std::array<NamedArgument, 1> dontSave = {{{L"SaveChanges", Variant::Int32(kWdDoNotSaveChanges)}}};
    CallMethod(application.Get(), L"Quit", {}, dontSave);
  }
  return outcome;
}

bool IsWordRunning(const wchar_t* progId) {
  ComPtr<IDispatch> application;
  if (FAILED(GetActiveInstance(progId, &application))) return false;
  const DispatchResult name = GetDefaultValue(application.Get());
  std::wstring text;
  return name.Ok() && name.value.ToString(&text) && text == L"Microsoft Word";
}

void RunConversion(RunView& view) {
  MessageFilterScope retryBusyServer;
  WordAutomation automation;
  ConvertAll(view, automation);
}

}  // namespace quillory
