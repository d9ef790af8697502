// Word1: the one place that talks to the word processor, late bound through COM automation
// under the ProgID "Word.Application". Each document goes through a new instance of its own on
// a thread of its own: the window keeps answering, and an instance that hangs (a prompt nobody
// sees) is ended when the document's time runs out or the user stops the run.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/template_path.h"
#include "platform/server_process.h"

namespace quillory {

inline constexpr wchar_t kWordProgId[] = L"Word.Application";
// The user's limit per document, in seconds, under HKCU\Software\Quillory.
inline constexpr wchar_t kTimeLimitSetting[] = L"DocumentTimeLimitSeconds";
inline constexpr std::chrono::seconds kDefaultTimeLimit{120};
// Given to Open so that an encrypted document fails at once with the word processor's own
// reason rather than waiting on a password prompt nobody sees. No real document has it.
inline constexpr wchar_t kNoDocumentPassword[] = L"quillory:no-password:9d41f7c2";

// Turns one document into a template beside it through a new instance, which is always
// asked to quit: with SaveChanges 0 when a step failed. Macros are forced off and alerts
// silenced before the document is opened read-only, with no prompt. Every failure comes back
// in the outcome with the server's own reason; an unknown ProgID comes back as kNotInstalled.
// `onInstance` is called once the instance exists; when it answers false the document is
// abandoned and the instance asked to quit at once. Waits as long as the server takes: the
// calling thread must be in a single-threaded apartment of its own.
SaveOutcome SaveDocAsTemplate(std::string_view documentPath, TemplateTarget target,
                              const wchar_t* progId = kWordProgId, const std::function<bool()>& onInstance = {});

// True when an active instance answers its default member with exactly "Microsoft Word".
// The instance is only looked at, never asked to quit; every failure is false.
bool IsWordRunning(const wchar_t* progId = kWordProgId);

// The limit per document: the user's setting, or kDefaultTimeLimit.
std::chrono::seconds DocumentTimeLimit();

// The run's automation: each document on a thread of its own while the window's messages run;
// past `limit`, or once `stop` says so, its instance is ended and the document abandoned.
class WordAutomation final : public Automation {
 public:
  WordAutomation(std::function<bool()> stop, HWND window, std::chrono::seconds limit,
                 const wchar_t* progId = kWordProgId);
  // Ends whatever instance is still running once the run is over (see EndLeftovers).
  ~WordAutomation() override;
  // As quillory::IsWordRunning, asked from another thread while the window answers; an
  // instance that does not answer within seconds counts as running.
  bool IsWordRunning() override;
  SaveOutcome SaveDocAsTemplate(const std::string& documentPath, TemplateTarget target) override;

  // An instance told to quit is given a few seconds to go; one still running after that is
  // ended, so that no instance this run started is left behind.
  void EndLeftovers();

 private:
  std::vector<ServerProcess> quitting_;
  std::function<bool()> stop_;
  HWND window_;
  std::chrono::seconds limit_;
  const wchar_t* progId_;
};

// The "Save As Dot" press after the button convention: the run over the list.
void RunConversion(RunView& view, HWND window);

}  // namespace quillory
