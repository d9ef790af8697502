#include "conversion/document_conversion_win.h"

#include <objbase.h>

#include "conversion/word_automation_win.h"
#include "platform/message_filter.h"

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
  auto* reference = new std::shared_ptr<DocumentConversion>(conversion);
  ScopedHandle thread(CreateThread(nullptr, 0, Run, reference, 0, nullptr));
  if (!thread) {
    delete reference;
    return nullptr;
  }
  return conversion;
}

DWORD WINAPI DocumentConversion::Run(void* parameter) {
  std::unique_ptr<std::shared_ptr<DocumentConversion>> reference(
      static_cast<std::shared_ptr<DocumentConversion>*>(parameter));
  DocumentConversion& self = **reference;
  SaveOutcome outcome;
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    {
      MessageFilterScope retryBusyServer;
      {
        std::lock_guard<std::mutex> lock(self.mutex_);
        self.finder_.emplace(self.progId_);
      }
      outcome = SaveDocAsTemplate(self.documentPath_, self.target_, self.progId_, [&self] {
        std::lock_guard<std::mutex> lock(self.mutex_);
        self.process_ = self.finder_->StartedSince();
        return !self.abandoned_;
      });
    }
    CoUninitialize();
  } else {
    outcome = SaveOutcome::Failed("The conversion could not be started: no COM apartment.");
  }
  std::lock_guard<std::mutex> lock(self.mutex_);
  self.outcome_ = std::move(outcome);
  SetEvent(self.done_.Get());
  return 0;
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
