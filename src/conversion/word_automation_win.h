// The run's automation: each document through a new instance of its own, on a thread of its own,
// while the front end goes on answering. The instances for the next documents are started while
// a document converts, but only one document is open at a time, in list order. An instance that
// hangs (a prompt nobody sees) is ended when the document's time runs out or the user stops the
// run. How the front end waits is its own (platform/message_pump.h).
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <memory>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/instance_thread_win.h"
#include "conversion/word_instance_win.h"
#include "platform/message_pump.h"
#include "platform/server_process.h"

namespace quillory {

inline constexpr std::chrono::seconds kDefaultTimeLimit{120};
inline constexpr size_t kDefaultInstancesAhead = 4;
inline constexpr size_t kMostInstancesAhead = 16;

// How a run goes: the limit per document, how many instances are started ahead of the
// document converting (0 starts each only when its document's turn comes), and whether an
// Open XML template is brought to the current compatibility mode.
struct RunSettings {
  std::chrono::seconds limit = kDefaultTimeLimit;
  size_t ahead = kDefaultInstancesAhead;
  bool upgrade = false;
};

class WordAutomation final : public Automation {
 public:
  // Past `limit`, or once `stop` says so, a document's instance is ended and the document
  // abandoned. Up to `ahead` instances are started before their documents' turn. With `upgrade`,
  // a document in an older compatibility mode is converted to the current one before an Open
  // XML template is saved.
  WordAutomation(std::function<bool()> stop, Waiter wait, std::chrono::seconds limit,
                 const wchar_t* progId = kWordProgId, size_t ahead = 0, bool upgrade = false);
  // Ends whatever instance is still running once the run is over (see EndLeftovers).
  ~WordAutomation() override;
  // As quillory::IsWordRunning, asked from another thread while the front end answers; an
  // instance that does not answer within seconds counts as running.
  bool IsWordRunning() override;
  void DocumentsToCome(size_t count) override { toCome_ = count; }
  void DocumentsEnded() override { EndLeftovers(); }
  SaveOutcome SaveDocAsTemplate(const std::string& documentPath, const std::string& templatePath,
                                TemplateTarget target) override;

  // Instances started ahead and not needed are told to quit; an instance told to quit is given a
  // few seconds to go, and one still running after that is ended, so that no instance this run
  // started is left behind.
  void EndLeftovers();

 private:
  std::shared_ptr<InstanceThread> Next();
  void ReleaseAhead();

  std::function<bool()> stop_;
  Waiter wait_;
  std::chrono::seconds limit_;
  const wchar_t* progId_;
  size_t ahead_;
  bool upgrade_;
  size_t toCome_ = 0;
  std::shared_ptr<const ServerProcessFinder> finder_;  // made before the first instance is asked for
  std::deque<std::shared_ptr<InstanceThread>> started_;  // ahead of the document converting, in order
  std::vector<std::shared_ptr<InstanceThread>> released_;
  std::vector<ServerProcess> quitting_;
};

// The run over the view's list with the user's settings. Its report, as ConvertAll gives it.
RunReport RunConversion(RunView& view, Waiter wait, const RunSettings& settings);

}  // namespace quillory
