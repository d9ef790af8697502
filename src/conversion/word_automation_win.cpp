#include "conversion/word_automation_win.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "common/com_apartment_win.h"
#include "common/scoped_handles_win.h"
#include "platform/work_thread.h"

namespace quillory {
namespace {

// Once its instance is ended, a call in progress returns within milliseconds; this is room.
constexpr std::chrono::seconds kAfterEndWait{10};
// How long a request for an instance whose server was ended may go on waiting for it.
constexpr std::chrono::seconds kAbandonedWait{60};
// An instance told to quit is usually gone within a second.
constexpr std::chrono::seconds kQuitGrace{5};
// How long the user's own instance is given to say what it is before the press asks anyway.
constexpr std::chrono::seconds kRunningCheckWait{10};

// The last document given up on whose thread has not finished (the run's thread only).
std::shared_ptr<InstanceThread>& LastAbandoned() {
  static std::shared_ptr<InstanceThread> abandoned;
  return abandoned;
}

std::chrono::steady_clock::time_point After(std::chrono::seconds wait) {
  return std::chrono::steady_clock::now() + wait;
}

}  // namespace

WordAutomation::WordAutomation(std::function<bool()> stop, Waiter wait, std::chrono::seconds limit,
                               const wchar_t* progId, size_t ahead, bool upgrade)
    : stop_(std::move(stop)), wait_(std::move(wait)), limit_(limit), progId_(progId), ahead_(ahead), upgrade_(upgrade) {}

WordAutomation::~WordAutomation() { EndLeftovers(); }

bool WordAutomation::IsWordRunning() {
  // The user's own instance may be held by a dialog of its own and not answer: it is asked
  // from a thread of its own while the front end answers. One that stays silent is there all
  // the same, so the user is asked; a stop or a close lets the run see it at its first step.
  // The thread is left behind rather than awaited: nothing ends a call to a server held by a
  // prompt.
  struct Check {
    ScopedHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> running{false};
  };
  auto check = std::make_shared<Check>();
  const bool started = check->done && StartThread([check, progId = progId_] {
    {
      ComApartment apartment;
      if (apartment.Ok()) check->running = quillory::IsWordRunning(progId);
    }
    SetEvent(check->done.Get());
  });
  if (!started) return quillory::IsWordRunning(progId_);
  switch (wait_(check->done.Get(), After(kRunningCheckWait), stop_)) {
    case WaitResult::kSignalled: return check->running;
    case WaitResult::kTimedOut: return true;
    case WaitResult::kStopped: return false;
  }
  return false;
}

std::shared_ptr<InstanceThread> WordAutomation::Next() {
  if (!finder_) finder_ = std::make_shared<const ServerProcessFinder>(progId_);
  // New instances are asked for together, once those started ahead are used up, and never while
  // earlier requests are still waiting: under Wine a request's server is whichever answers first,
  // and a request made a moment later would take the server of one still waiting for it, which
  // then fails. Together, the requests' waits for their servers overlap.
  const bool starting = std::any_of(started_.begin(), started_.end(),
                                    [](const std::shared_ptr<InstanceThread>& instance) { return !instance->Created(); });
  std::shared_ptr<InstanceThread> next;
  if (!started_.empty()) {
    next = std::move(started_.front());
    started_.pop_front();
  } else {
    next = InstanceThread::Start(progId_, finder_);
  }
  // The next documents' instances start while this one converts; never more than the run has
  // documents for.
  const bool refill = !starting && started_.empty();
  while (refill && started_.size() < std::min(ahead_, toCome_)) {
    std::shared_ptr<InstanceThread> ahead = InstanceThread::Start(progId_, finder_);
    if (!ahead) break;
    started_.push_back(std::move(ahead));
  }
  return next;
}

SaveOutcome WordAutomation::SaveDocAsTemplate(const std::string& documentPath, const std::string& templatePath,
                                              TemplateTarget target) {
  // A document abandoned while its instance was still starting may still be waiting for one,
  // in this run or an earlier one: a server started now could go to it, so the next document
  // waits until it has given up.
  if (std::shared_ptr<InstanceThread>& abandoned = LastAbandoned()) {
    if (wait_(abandoned->Done(), After(kAbandonedWait), stop_) == WaitResult::kStopped) {
      ReleaseAhead();
      return SaveOutcome::Stopped();
    }
    abandoned.reset();
  }
  std::shared_ptr<InstanceThread> instance = Next();
  if (!instance) return SaveOutcome::Failed("The conversion could not be started: no thread for it.");
  // The limit counts from the document's turn, or from the request for its instance when that
  // instance is still starting.
  const auto deadline = (instance->Created() ? std::chrono::steady_clock::now() : instance->Requested()) + limit_;
  instance->Give(documentPath, templatePath, target, upgrade_);
  const WaitResult waited = wait_(instance->Done(), deadline, stop_);
  if (waited == WaitResult::kSignalled) {
    if (std::optional<ServerProcess> process = instance->Quitting()) quitting_.push_back(*process);
    return instance->Outcome();
  }

  // Past the limit, or stopped: the call in progress is abandoned by ending its instance,
  // after which it returns within moments.
  const bool ended = instance->EndInstance();
  if (waited == WaitResult::kStopped) ReleaseAhead();
  if (wait_(instance->Done(), After(kAfterEndWait), nullptr) != WaitResult::kSignalled) {
    LastAbandoned() = instance;
  }
  if (waited == WaitResult::kStopped) return SaveOutcome::Stopped();
  return SaveOutcome::Failed(TimeLimitReason(static_cast<unsigned>(limit_.count()), ended));
}

void WordAutomation::ReleaseAhead() {
  for (std::shared_ptr<InstanceThread>& instance : started_) {
    instance->Release();
    released_.push_back(std::move(instance));
  }
  started_.clear();
}

void WordAutomation::EndLeftovers() {
  ReleaseAhead();
  // An instance released while it was still starting is told to quit once it is there.
  for (const std::shared_ptr<InstanceThread>& instance : released_) {
    if (wait_(instance->Done(), After(kAfterEndWait), nullptr) != WaitResult::kSignalled) continue;
    if (std::optional<ServerProcess> process = instance->Quitting()) quitting_.push_back(*process);
  }
  released_.clear();
  const auto deadline = After(kQuitGrace);
  for (const ServerProcess& process : quitting_) {
    ScopedHandle running = OpenServerProcess(process);
    if (!running) continue;
    switch (wait_(running.Get(), deadline, nullptr)) {
      case WaitResult::kSignalled: break;
      case WaitResult::kTimedOut: EndServerProcess(process); break;
      case WaitResult::kStopped: AwaitBeforeExit(process); break;  // the program is ending: it waits
    }
  }
  quitting_.clear();
}

RunReport RunConversion(RunView& view, Waiter wait, const RunSettings& settings) {
  WordAutomation automation([&view] { return view.StopRequested() || view.Closed(); }, std::move(wait), settings.limit,
                            kWordProgId, settings.ahead, settings.upgrade);
  return ConvertAll(view, automation);
}

}  // namespace quillory
