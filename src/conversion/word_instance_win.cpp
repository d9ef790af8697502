#include "conversion/word_instance_win.h"

#include <array>
#include <span>
#include <string>

#include "platform/com_activation.h"
#include "platform/dispatch.h"
#include "platform/hresult_text.h"

namespace quillory {
namespace {

using Microsoft::WRL::ComPtr;

// The word processor's constants, by their values.
constexpr int32_t kMsoAutomationSecurityForceDisable = 3;
constexpr int32_t kWdAlertsNone = 0;
constexpr int32_t kWdDoNotSaveChanges = 0;
constexpr int32_t kWdCurrentCompatibilityMode = 15;
// How many times a request whose server went to another request is made again.
constexpr int kCreateRetries = 3;

// The server's own description says enough; without one, the step and the system's text.
SaveOutcome Failure(std::string_view step, const DispatchResult& result) {
  if (!result.description.empty()) return SaveOutcome::Failed(result.Reason());
  if (IsServerGone(result.hr)) {
    return SaveOutcome::Failed(std::string(step) + ": the word processor ended or could not be reached: " +
                               result.Reason());
  }
  return SaveOutcome::Failed(std::string(step) + ": " + result.Reason());
}

}  // namespace

StepFailure WordInstance::Create(const wchar_t* progId, const std::function<bool()>& mayAskAgain) {
  HRESULT hr = CreateLocalInstance(progId, &application_);
  // With several requests in flight, a server started for this one may serve another request
  // and be gone before this one reaches it (Wine then answers E_NOINTERFACE, or now and then
  // REGDB_E_CLASSNOTREG although the ProgID named the class), or be taken just as it stops
  // serving: asked again, the request gets a server of its own or one left over. A class that
  // really is not registered answers the same each time and still means not installed.
  for (int again = 0; again < kCreateRetries &&
                      (hr == E_NOINTERFACE || hr == CO_E_SERVER_STOPPING || hr == REGDB_E_CLASSNOTREG) &&
                      mayAskAgain && mayAskAgain();
       ++again) {
    hr = CreateLocalInstance(progId, &application_);
  }
  if (IsUnknownClass(hr)) return SaveOutcome::NotInstalled(HresultText(hr));
  goneBeforeUse_ = IsServerGone(hr);
  if (FAILED(hr)) {
    return SaveOutcome::Failed(std::string("Word could not be started: ") +
                               (goneBeforeUse_ ? "it ended or could not be reached: " : "") + HresultText(hr));
  }
  return std::nullopt;
}

StepFailure WordInstance::OpenAndSaveAs(std::string_view documentPath, std::string_view templatePath,
                                        TemplateTarget target, bool upgrade) {
  IDispatch* application = application_.Get();
  // No prompt may wait on a window nobody sees, and no macro of the document may run.
  DispatchResult put = PutProperty(application, L"AutomationSecurity",
                                   Variant::Int32(kMsoAutomationSecurityForceDisable));
  goneBeforeUse_ = IsServerGone(put.hr);
  if (!put.Ok()) return Failure("Macros could not be turned off", put);
  put = PutProperty(application, L"DisplayAlerts", Variant::Int32(kWdAlertsNone));
  if (!put.Ok()) return Failure("Alerts could not be turned off", put);

  DispatchResult documents = GetProperty(application, L"Documents");
  ComPtr<IDispatch> documentsObject;
  if (!documents.Ok()) return Failure("Documents", documents);
  if (!documents.value.ToDispatch(&documentsObject)) {
    return SaveOutcome::Failed("Documents: the server returned no object");
  }

  // Read-only: no "file in use" or write-password prompt, and the source is never changed.
  const Variant path = Variant::Utf8(documentPath);
  const std::array<NamedArgument, 4> openOptions = {{
      {L"ConfirmConversions", Variant::Bool(false)},
      {L"ReadOnly", Variant::Bool(true)},
      {L"AddToRecentFiles", Variant::Bool(false)},
      {L"PasswordDocument", Variant::String(kNoDocumentPassword)},
  }};
  DispatchResult opened =
      CallMethod(documentsObject.Get(), L"Open", std::span<const Variant>(&path, 1), openOptions);
  if (!opened.Ok()) return Failure("Open", opened);
  if (!opened.value.ToDispatch(&document_)) {
    return SaveOutcome::Failed("Open: the server returned no document");
  }
  // A .dotx holds no macro project: the document is saved all the same, and its note says so.
  // A server that cannot tell counts as a document without macros.
  const DispatchResult project = GetProperty(document_.Get(), L"HasVBProject");
  int32_t hasProject = 0;
  macrosLost_ = target == TemplateTarget::kDotx && project.Ok() && project.value.ToInt32(&hasProject) && hasProject != 0;
  if (upgrade && target != TemplateTarget::kDot) {
    // Nothing is saved in the old mode when the new one was asked for.
    const DispatchResult mode = GetProperty(document_.Get(), L"CompatibilityMode");
    int32_t was = 0;
    if (!mode.Ok()) return Failure("CompatibilityMode", mode);
    if (!mode.value.ToInt32(&was)) return SaveOutcome::Failed("CompatibilityMode: the server returned no number");
    if (was < kWdCurrentCompatibilityMode) {
      const DispatchResult converted = CallMethod(document_.Get(), L"Convert");
      if (!converted.Ok()) return Failure("Convert", converted);
      upgradedFrom_ = was;
    }
  }

  const std::array<NamedArgument, 11> saveAs = {{
      {L"FileName", Variant::Utf8(templatePath)},
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
  DispatchResult saved = CallMethod(document_.Get(), L"SaveAs", {}, saveAs);
  if (!saved.Ok()) return Failure("SaveAs", saved);
  return std::nullopt;
}

std::optional<std::string> WordInstance::QuitUnlessShared() {
  if (!application_) return std::nullopt;
  int32_t open = 0;
  const DispatchResult documents = GetProperty(application_.Get(), L"Documents");
  ComPtr<IDispatch> documentsObject;
  if (documents.Ok() && documents.value.ToDispatch(&documentsObject)) {
    const DispatchResult count = GetProperty(documentsObject.Get(), L"Count");
    if (!count.Ok() || !count.value.ToInt32(&open)) open = 0;
  }
  const int32_t others = open - (document_ ? 1 : 0);
  if (others <= 0) {
    document_.Reset();
    Quit();
    return std::nullopt;
  }
  if (document_) {
    const std::array<NamedArgument, 1> dontSave = {{{L"SaveChanges", Variant::Int32(kWdDoNotSaveChanges)}}};
    CallMethod(document_.Get(), L"Close", {}, dontSave);
    document_.Reset();
  }
  PutProperty(application_.Get(), L"Visible", Variant::Bool(true));
  application_.Reset();
  return "Its instance of the word processor also held " + std::to_string(others) +
         (others == 1 ? " other document" : " other documents") +
         ", so it was left open and made visible rather than told to quit.";
}

// Nothing needs saving once the template is written (fields updated at the save leave the
// document changed), and a Normal template the documents changed must be neither saved over the
// user's nor asked about: it is marked saved, where the server has one. Whatever Quit answers,
// the instance is done with: one that stays is ended by whoever waits for it.
void WordInstance::Quit() {
  if (!application_) return;
  const DispatchResult normal = GetProperty(application_.Get(), L"NormalTemplate");
  ComPtr<IDispatch> normalTemplate;
  if (normal.Ok() && normal.value.ToDispatch(&normalTemplate)) {
    PutProperty(normalTemplate.Get(), L"Saved", Variant::Bool(true));
  }
  const std::array<NamedArgument, 1> dontSave = {{{L"SaveChanges", Variant::Int32(kWdDoNotSaveChanges)}}};
  CallMethod(application_.Get(), L"Quit", {}, dontSave);
  application_.Reset();
}

bool IsWordRunning(const wchar_t* progId) {
  ComPtr<IDispatch> application;
  if (FAILED(GetActiveInstance(progId, &application))) return false;
  const DispatchResult name = GetDefaultValue(application.Get());
  std::wstring text;
  return name.Ok() && name.value.ToString(&text) && text == kWordApplicationName;
}

}  // namespace quillory
