// One document's conversion on a thread of its own, in an apartment of its own: a new
// instance, the document opened and saved, Quit. The thread notes the process of the instance
// it starts, so that the instance can be ended from outside when it hangs; ending it makes the
// call in progress return, and the thread finishes. How long to wait for it is the caller's.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "conversion/save_outcome.h"
#include "conversion/template_path.h"
#include "platform/scoped_handles.h"
#include "platform/server_process.h"

namespace quillory {

class DocumentConversion {
 public:
  // Starts the thread; null when it cannot be started.
  static std::shared_ptr<DocumentConversion> Start(std::string documentPath, TemplateTarget target,
                                                    const wchar_t* progId);

  // Signalled once the thread has finished.
  HANDLE Done() const { return done_.Get(); }
  // What the thread found; read once Done is signalled.
  SaveOutcome Outcome() const;

  // The process of the instance started for this document, once it is known.
  std::optional<ServerProcess> Process() const;

  // Ends the instance started for this document, if it can be told apart from every other
  // process (see ServerProcessFinder); true when no such instance runs any more. A document
  // whose instance is still starting then opens nothing.
  bool EndInstance();

 private:
  DocumentConversion(std::string documentPath, TemplateTarget target, const wchar_t* progId);
  void Run();
  // The steps, in the thread's apartment.
  SaveOutcome Convert();
  // Called once the instance exists: notes its process; false once the document was given up.
  bool InstanceStarted();

  std::string documentPath_;
  TemplateTarget target_;
  const wchar_t* progId_;
  ScopedHandle done_;
  mutable std::mutex mutex_;
  std::optional<ServerProcessFinder> finder_;  // set before the instance is asked for
  std::optional<ServerProcess> process_;       // once the instance exists
  bool abandoned_ = false;                     // ended from outside: open nothing more
  SaveOutcome outcome_;
};

}  // namespace quillory
