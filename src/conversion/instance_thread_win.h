// One instance of the word processor on a thread of its own, in an apartment of its own,
// started before its document is known so that a run need not wait for instances one after
// another. Once it is given its document it opens and saves it and is told to quit; an instance
// given none is told to quit as it is. An instance that ended while it waited for its document
// (found gone by its process or by its first call) is replaced by a fresh one for that
// document. The instance names its own process, so that it can be ended from outside when it
// hangs; ending it makes the call in progress return, and the thread finishes. How long to wait
// for it is the caller's.
#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "conversion/save_outcome.h"
#include "conversion/template_path.h"
#include "conversion/word_instance_win.h"
#include "common/scoped_handles_win.h"
#include "platform/server_process.h"

namespace quillory {

class InstanceThread {
 public:
  // Starts the thread, which asks for a new instance at once; null when it cannot be started.
  static std::shared_ptr<InstanceThread> Start(const wchar_t* progId, std::shared_ptr<const ServerProcessFinder> finder);

  // Whether the request for the instance has been answered (the instance is there, or it failed).
  bool Created() const;
  // When the instance was asked for.
  std::chrono::steady_clock::time_point Requested() const { return requested_; }

  // The instance's one document. Given once, or Release instead.
  void Give(std::string documentPath, std::string templatePath, TemplateTarget target);
  // No document for this instance: it is told to quit once it is there.
  void Release();

  // Signalled once the thread has finished.
  HANDLE Done() const { return done_.Get(); }
  // How the document ended; read once Done is signalled.
  SaveOutcome Outcome() const;
  // The instance's process, once it was told to quit: it should be gone soon.
  std::optional<ServerProcess> Quitting() const;

  // Ends the instance's process if the instance named it (never a guess); true when it no
  // longer runs. Either way the document is given up: an instance still starting opens
  // nothing and is told to quit once it is there.
  bool EndInstance();

 private:
  InstanceThread(const wchar_t* progId, std::shared_ptr<const ServerProcessFinder> finder);
  void Run();
  SaveOutcome Convert();
  // Asks for the instance and names its process.
  StepFailure Create(WordInstance& word);
  bool Abandoned() const;
  void SetQuitting(bool quitting);
  // Tells the instance to quit unless it holds other documents; what it said then.
  std::optional<std::string> Quit(WordInstance& word);

  enum class Order { kNone, kConvert, kRelease };
  const wchar_t* progId_;
  std::shared_ptr<const ServerProcessFinder> finder_;
  std::chrono::steady_clock::time_point requested_;
  ScopedHandle ordered_;  // set once Give or Release was called
  ScopedHandle done_;
  mutable std::mutex mutex_;
  bool created_ = false;
  Order order_ = Order::kNone;
  std::string documentPath_;
  std::string templatePath_;
  TemplateTarget target_ = TemplateTarget::kDot;
  std::optional<ServerProcess> process_;  // named by the instance
  bool quitting_ = false;                  // told to quit
  bool abandoned_ = false;                 // ended from outside: open nothing more
  SaveOutcome outcome_;
};

// The program must not end while an instance it asked for may still arrive, or is still being
// told to quit: its server would be left running with no client. Waits, without running
// messages (the window is gone by then), until every instance thread of the process has
// finished, those without a document told to quit as they arrive, and then until each process
// told to quit has gone. Past `limit`, an instance tied to its process is ended; one that never
// arrived is left.
void SettleInstancesBeforeExit(std::chrono::seconds limit);
// As long as a request for a new instance may wait for its server.
inline constexpr std::chrono::seconds kExitWaitForInstances{30};

// A process told to quit that the run could not wait for: it is waited for, and ended if it
// stays, before the program ends.
void AwaitBeforeExit(const ServerProcess& process);

}  // namespace quillory
