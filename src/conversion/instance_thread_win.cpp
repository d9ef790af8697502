#include "conversion/instance_thread_win.h"

#include <objbase.h>

#include "common/com_apartment_win.h"
#include "conversion/word_instance_win.h"
#include "platform/message_filter.h"
#include "platform/work_thread.h"

namespace quillory {

InstanceThread::InstanceThread(const wchar_t* progId, std::shared_ptr<const ServerProcessFinder> finder)
    : progId_(progId),
      finder_(std::move(finder)),
      requested_(std::chrono::steady_clock::now()),
      ordered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

std::shared_ptr<InstanceThread> InstanceThread::Start(const wchar_t* progId,
                                                       std::shared_ptr<const ServerProcessFinder> finder) {
  std::shared_ptr<InstanceThread> instance(new InstanceThread(progId, std::move(finder)));
  if (!instance->ordered_ || !instance->done_) return nullptr;
  // The thread holds a reference of its own: it may outlive the wait for it.
  if (!StartThread([instance] { instance->Run(); })) return nullptr;
  return instance;
}

void InstanceThread::Run() {
  SaveOutcome outcome = SaveOutcome::Failed("The conversion could not be started: no COM apartment.");
  {
    ComApartment apartment;
    if (apartment.Ok()) outcome = Convert();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  created_ = true;
  outcome_ = std::move(outcome);
  SetEvent(done_.Get());
}

SaveOutcome InstanceThread::Convert() {
  MessageFilterScope retryBusyServer;
  WordInstance word;
  StepFailure failure = word.Create(progId_, [this] {
    std::lock_guard<std::mutex> lock(mutex_);
    return !abandoned_ && order_ != Order::kRelease;
  });
  {
    std::optional<ServerProcess> process;
    if (!failure) process = finder_->ServingProcess(word.Object());
    std::lock_guard<std::mutex> lock(mutex_);
    process_ = process;
    created_ = true;
  }
  // The apartment answers COM's own messages while the instance waits for its document.
  HANDLE ordered = ordered_.Get();
  DWORD which = 0;
  while (CoWaitForMultipleHandles(0, INFINITE, 1, &ordered, &which) == RPC_S_CALLPENDING) {
  }
  Order order;
  std::string documentPath;
  TemplateTarget target;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    order = abandoned_ ? Order::kRelease : order_;
    documentPath = documentPath_;
    target = target_;
    quitting_ = !failure;
  }
  if (failure) return std::move(*failure);
  std::optional<std::string> shared;
  if (order != Order::kConvert) {
    if (word.QuitUnlessShared(true)) {
      std::lock_guard<std::mutex> lock(mutex_);
      quitting_ = false;
    }
    return SaveOutcome::Stopped();
  }
  failure = word.OpenAndSaveAs(documentPath, target);
  if (failure) {
    shared = word.QuitUnlessShared(true);  // nothing of a failed document is kept
    if (shared) failure->reason += " " + *shared;
  } else {
    shared = word.QuitUnlessShared(false);
  }
  if (shared) {
    std::lock_guard<std::mutex> lock(mutex_);
    quitting_ = false;  // left open for its other documents' owner
  }
  if (failure) return std::move(*failure);
  if (shared) return SaveOutcome::Saved(std::move(*shared));
  return SaveOutcome::Saved();
}

bool InstanceThread::Created() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return created_;
}

void InstanceThread::Give(std::string documentPath, TemplateTarget target) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (order_ != Order::kNone) return;
    order_ = Order::kConvert;
    documentPath_ = std::move(documentPath);
    target_ = target;
  }
  SetEvent(ordered_.Get());
}

void InstanceThread::Release() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (order_ != Order::kNone) return;
    order_ = Order::kRelease;
  }
  SetEvent(ordered_.Get());
}

SaveOutcome InstanceThread::Outcome() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return outcome_;
}

std::optional<ServerProcess> InstanceThread::Quitting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return quitting_ ? process_ : std::nullopt;
}

bool InstanceThread::EndInstance() {
  std::optional<ServerProcess> process;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    process = process_;
  }
  SetEvent(ordered_.Get());
  return process && EndServerProcess(*process);
}

}  // namespace quillory
