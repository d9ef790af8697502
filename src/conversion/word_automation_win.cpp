#include "conversion/word_automation_win.h"

#include <objbase.h>
#include <wrl/client.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <thread>

#include "conversion/document_conversion_win.h"
#include "platform/com_activation.h"
#include "platform/dispatch.h"
#include "platform/hresult_text.h"
#include "platform/message_pump.h"
#include "platform/scoped_handles.h"
#include "platform/user_settings.h"

namespace quillory {
namespace {

using Microsoft::WRL::ComPtr;

// Once its instance is ended, a call in progress returns within milliseconds; this is room.
constexpr std::chrono::seconds kAfterEndWait{10};
// How long a request for an instance whose server was ended may go on waiting for it.
constexpr std::chrono::seconds kAbandonedWait{60};
// An instance told to quit is usually gone within a second.
constexpr std::chrono::seconds kQuitGrace{5};
// How long the user's own instance is given to say what it is before the press asks anyway.
constexpr std::chrono::seconds kRunningCheckWait{10};

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

// The last document given up on whose thread has not finished (the window's thread only).
std::shared_ptr<DocumentConversion>& Abandoned() {
  static std::shared_ptr<DocumentConversion> abandoned;
  return abandoned;
}

}  // namespace

SaveOutcome SaveDocAsTemplate(std::string_view documentPath, TemplateTarget target, const wchar_t* progId,
                              const std::function<bool()>& onInstance) {
  // Always a new instance of its own, never the user's running one.
  ComPtr<IDispatch> application;
  const HRESULT hr = CreateLocalInstance(progId, &application);
  if (IsUnknownClass(hr)) return SaveOutcome::NotInstalled(HresultText(hr));
  if (FAILED(hr)) return SaveOutcome::Failed("Word could not be started: " + HresultText(hr));
  SaveOutcome outcome = onInstance && !onInstance() ? SaveOutcome::Stopped()
                                                    : OpenAndSave(application.Get(), documentPath, target);
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

bool WordAutomation::IsWordRunning() {
  // The user's own instance may be held by a dialog of its own and not answer: it is asked
  // from a thread of its own while the window answers. One that stays silent is there all
  // the same, so the user is asked; a stop or a close lets the run see it at its first step.
  // The thread is left behind rather than awaited (as RunWhileAnswering would): nothing ends a
  // call to a server held by a prompt.
  struct Check {
    ScopedHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> running{false};
  };
  auto check = std::make_shared<Check>();
  if (!check->done) return quillory::IsWordRunning(progId_);
  std::thread([check, progId = progId_] {
    if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
      check->running = quillory::IsWordRunning(progId);
      CoUninitialize();
    }
    SetEvent(check->done.Get());
  }).detach();
  switch (WaitWhilePumping(check->done.Get(), std::chrono::steady_clock::now() + kRunningCheckWait, stop_, window_)) {
    case WaitResult::kSignalled: return check->running;
    case WaitResult::kTimedOut: return true;
    case WaitResult::kStopped: return false;
  }
  return false;
}

WordAutomation::WordAutomation(std::function<bool()> stop, HWND window, std::chrono::seconds limit,
                               const wchar_t* progId)
    : stop_(std::move(stop)), window_(window), limit_(limit), progId_(progId) {}

SaveOutcome WordAutomation::SaveDocAsTemplate(const std::string& documentPath, TemplateTarget target) {
  // A document abandoned while its instance was still starting may still be waiting for one,
  // in this run or an earlier one: a server started now could go to it, so the next document
  // waits until it has given up.
  if (std::shared_ptr<DocumentConversion>& abandoned = Abandoned()) {
    const WaitResult waited =
        WaitWhilePumping(abandoned->Done(), std::chrono::steady_clock::now() + kAbandonedWait, stop_, window_);
    if (waited == WaitResult::kStopped) return SaveOutcome::Stopped();
    abandoned.reset();
  }
  const auto deadline = std::chrono::steady_clock::now() + limit_;
  auto conversion = DocumentConversion::Start(documentPath, target, progId_);
  if (!conversion) return quillory::SaveDocAsTemplate(documentPath, target, progId_);  // no thread: here
  const WaitResult waited = WaitWhilePumping(conversion->Done(), deadline, stop_, window_);
  if (waited == WaitResult::kSignalled) {
    if (std::optional<ServerProcess> process = conversion->Process()) quitting_.push_back(*process);
    return conversion->Outcome();
  }

  // Past the limit, or stopped: the call in progress is abandoned by ending its instance,
  // after which it returns within moments.
  const bool ended = conversion->EndInstance();
  if (WaitWhilePumping(conversion->Done(), std::chrono::steady_clock::now() + kAfterEndWait, nullptr, window_) !=
      WaitResult::kSignalled) {
    Abandoned() = conversion;
  }
  if (waited == WaitResult::kStopped) return SaveOutcome::Stopped();
  return SaveOutcome::Failed(TimeLimitReason(static_cast<unsigned>(limit_.count()), ended));
}

WordAutomation::~WordAutomation() { EndLeftovers(); }

void WordAutomation::EndLeftovers() {
  const auto deadline = std::chrono::steady_clock::now() + kQuitGrace;
  for (const ServerProcess& process : quitting_) {
    ScopedHandle running = OpenServerProcess(process);
    if (running && WaitWhilePumping(running.Get(), deadline, nullptr, window_) != WaitResult::kSignalled) {
      EndServerProcess(process);
    }
  }
  quitting_.clear();
}

std::chrono::seconds DocumentTimeLimit() {
  const unsigned long seconds = UserSettingNumber(kTimeLimitSetting).value_or(kDefaultTimeLimit.count());
  return std::chrono::seconds(std::max(1ul, seconds));
}

void RunConversion(RunView& view, HWND window) {
  WordAutomation automation([&view] { return view.StopRequested() || view.Closed(); }, window, DocumentTimeLimit());
  ConvertAll(view, automation);
}

}  // namespace quillory
