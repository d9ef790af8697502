#include "conversion/document_conversion_win.h"

#include "common/com_apartment_win.h"
#include "conversion/word_instance_win.h"
#include "platform/message_filter.h"
#include "platform/work_thread.h"

namespace quillory {

DocumentConversion::DocumentConversion(std::string documentPath, TemplateTarget target, const wchar_t* progId)
    : documentPath_(std::move(documentPath)),
      target_(target),
      progId_(progId),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

std::shared_ptr<DocumentConversion> DocumentConversion::Start(std::string documentPath, TemplateTarget target,
                                                               const wchar_t* progId) {
  std::shared_ptr<DocumentConversion> conversion(new DocumentConversion(std::move(documentPath), target, progId));
  if (!conversion->done_) return nullptr;
  // The thread holds a reference of its own: it may outlive the wait for it.
  if (!StartThread([conversion] { conversion->Run(); })) return nullptr;
  return conversion;
}

void DocumentConversion::Run() {
  SaveOutcome outcome = SaveOutcome::Failed("The conversion could not be started: no COM apartment.");
  {
    ComApartment apartment;
    if (apartment.Ok()) outcome = Convert();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  outcome_ = std::move(outcome);
  SetEvent(done_.Get());
}

SaveOutcome DocumentConversion::Convert() {
  MessageFilterScope retryBusyServer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finder_.emplace(progId_);
  }
  WordInstance word;
  StepFailure failure = word.Create(progId_);
  if (!failure && !InstanceStarted()) failure = SaveOutcome::Stopped();
  if (!failure) failure = word.OpenAndSaveAs(documentPath_, target_);
  if (failure) {
    word.Quit(true);  // nothing of a failed document is kept, and its instance does not linger
    return std::move(*failure);
  }
  failure = word.Quit(false);
  return failure ? std::move(*failure) : SaveOutcome::Saved();
}

bool DocumentConversion::InstanceStarted() {
  std::lock_guard<std::mutex> lock(mutex_);
  process_ = finder_->StartedSince();
  return !abandoned_;
}

SaveOutcome DocumentConversion::Outcome() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return outcome_;
}

std::optional<ServerProcess> DocumentConversion::Process() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return process_;
}

bool DocumentConversion::EndInstance() {
  std::optional<ServerProcess> process;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    // Still starting up: the one process of the server started since is this document's.
    if (!process_ && finder_) process_ = finder_->StartedSince();
    process = process_;
  }
  if (!process) return false;
  return EndServerProcess(*process);
}

}  // namespace quillory
