#include "conversion/instance_thread_win.h"

#include <objbase.h>

#include <algorithm>
#include <vector>

#include "common/com_apartment_win.h"
#include "conversion/word_instance_win.h"
#include "platform/message_filter.h"
#include "platform/message_pump.h"
#include "platform/work_thread.h"

namespace quillory {
namespace {

// Once an instance is ended, its thread finishes within moments.
constexpr DWORD kAfterEndMs = 2000;

// Every instance thread of the process that may not have finished, and the processes told to
// quit that nobody waited for.
struct InFlight {
  std::mutex mutex;
  std::vector<std::shared_ptr<InstanceThread>> threads;
  std::vector<ServerProcess> quitting;
};

// Never destroyed: instance threads may still run while the program's statics go.
InFlight& Flight() {
  static InFlight* const flight = new InFlight;
  return *flight;
}

bool Finished(const InstanceThread& instance) { return WaitForSingleObject(instance.Done(), 0) == WAIT_OBJECT_0; }

void Remember(std::shared_ptr<InstanceThread> instance) {
  InFlight& flight = Flight();
  std::lock_guard<std::mutex> lock(flight.mutex);
  std::erase_if(flight.threads, [](const std::shared_ptr<InstanceThread>& known) { return Finished(*known); });
  flight.threads.push_back(std::move(instance));
}

}  // namespace

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
  Remember(instance);
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

StepFailure InstanceThread::Create(WordInstance& word) {
  StepFailure failure = word.Create(progId_, [this] {
    std::lock_guard<std::mutex> lock(mutex_);
    return !abandoned_ && order_ != Order::kRelease;
  });
  std::optional<ServerProcess> process;
  if (!failure) process = finder_->ServingProcess(word.Object());
  std::lock_guard<std::mutex> lock(mutex_);
  process_ = process;
  created_ = true;
  return failure;
}

bool InstanceThread::Abandoned() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return abandoned_;
}

void InstanceThread::SetQuitting(bool quitting) {
  std::lock_guard<std::mutex> lock(mutex_);
  quitting_ = quitting;
}

std::optional<std::string> InstanceThread::Quit(WordInstance& word) {
  std::optional<std::string> shared = word.QuitUnlessShared();
  if (shared) SetQuitting(false);  // left open for its other documents' owner
  return shared;
}

SaveOutcome InstanceThread::Convert() {
  MessageFilterScope retryBusyServer;
  WordInstance word;
  StepFailure failure = Create(word);
  // The apartment answers COM's own messages while the instance waits for its document.
  HANDLE ordered = ordered_.Get();
  const bool startedAhead = WaitForSingleObject(ordered, 0) != WAIT_OBJECT_0;
  DWORD which = 0;
  while (CoWaitForMultipleHandles(0, INFINITE, 1, &ordered, &which) == RPC_S_CALLPENDING) {
  }
  Order order;
  std::string documentPath, templatePath;
  TemplateTarget target;
  bool upgrade = false;
  std::optional<ServerProcess> process;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    order = abandoned_ ? Order::kRelease : order_;
    documentPath = documentPath_;
    templatePath = templatePath_;
    target = target_;
    upgrade = upgrade_;
    process = process_;
    quitting_ = !failure;
  }
  if (failure) {
    if (order != Order::kConvert || !startedAhead || !word.GoneBeforeUse()) return std::move(*failure);
  } else if (order != Order::kConvert) {
    Quit(word);
    return SaveOutcome::Stopped();
  }
  // An instance that waited for its document may have ended meanwhile (its server left, crashed
  // or was ended): the document then goes to a fresh instance, once, as if none had been started
  // ahead. Its process is looked at first, and its first call tells the rest.
  const bool gone = startedAhead && !failure && process && !OpenServerProcess(*process);
  if (!gone && !failure) failure = word.OpenAndSaveAs(documentPath, templatePath, target, upgrade);
  if (startedAhead && (gone || word.GoneBeforeUse()) && !Abandoned()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      process_.reset();  // the new process is named once it is there
      quitting_ = false;
    }
    word.QuitUnlessShared();  // a server that is gone answers at once; a mistaken look costs nothing
    word = WordInstance();
    failure = Create(word);
    SetQuitting(!failure);
    if (failure) return std::move(*failure);
    if (Abandoned()) {  // given up on while it was starting
      Quit(word);
      return SaveOutcome::Stopped();
    }
    failure = word.OpenAndSaveAs(documentPath, templatePath, target, upgrade);
  }
  if (failure) {
    // Nothing of a failed document is kept.
    if (std::optional<std::string> shared = Quit(word)) failure->reason += " " + *shared;
    return std::move(*failure);
  }
  // The note: the mode it was upgraded from, then why its instance was left open.
  std::string note;
  if (word.UpgradedFrom()) note = "Upgraded from compatibility mode " + std::to_string(*word.UpgradedFrom()) + ".";
  if (const std::optional<std::string> shared = Quit(word)) note += (note.empty() ? "" : " ") + *shared;
  SaveOutcome saved = SaveOutcome::Saved(std::move(note));
  saved.macrosLost = word.MacrosLost();
  return saved;
}

bool InstanceThread::Created() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return created_;
}

void InstanceThread::Give(std::string documentPath, std::string templatePath, TemplateTarget target, bool upgrade) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (order_ != Order::kNone) return;
    order_ = Order::kConvert;
    documentPath_ = std::move(documentPath);
    templatePath_ = std::move(templatePath);
    target_ = target;
    upgrade_ = upgrade;
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

void AwaitBeforeExit(const ServerProcess& process) {
  InFlight& flight = Flight();
  std::lock_guard<std::mutex> lock(flight.mutex);
  flight.quitting.push_back(process);
}

void SettleInstancesBeforeExit(std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::vector<std::shared_ptr<InstanceThread>> threads;
  std::vector<ServerProcess> quitting;
  {
    InFlight& flight = Flight();
    std::lock_guard<std::mutex> lock(flight.mutex);
    threads.swap(flight.threads);
    quitting.swap(flight.quitting);
  }
  // No document is coming for any of them now.
  for (const std::shared_ptr<InstanceThread>& instance : threads) instance->Release();
  for (const std::shared_ptr<InstanceThread>& instance : threads) {
    if (WaitForSingleObject(instance->Done(), MillisecondsUntil(deadline)) != WAIT_OBJECT_0) {
      // Still starting, or held in its last call: ended where it is tied to its process.
      if (!instance->EndInstance()) continue;
      WaitForSingleObject(instance->Done(), kAfterEndMs);
    }
    if (std::optional<ServerProcess> process = instance->Quitting()) quitting.push_back(*process);
  }
  for (const ServerProcess& process : quitting) {
    ScopedHandle running = OpenServerProcess(process);
    if (running && WaitForSingleObject(running.Get(), MillisecondsUntil(deadline)) != WAIT_OBJECT_0) {
      EndServerProcess(process);
    }
  }
}

}  // namespace quillory
