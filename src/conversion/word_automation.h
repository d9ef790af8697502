// Word1: the one place that talks to the word processor, late bound through COM automation
// under the ProgID "Word.Application". The calling thread must be in a single-threaded
// apartment (the window's thread is).
#pragma once

#include <string>
#include <string_view>

#include "conversion/conversion_run.h"
#include "conversion/template_path.h"

namespace quillory {

inline constexpr wchar_t kWordProgId[] = L"Word.Application";

// Turns one document into a template beside it through a new instance, which is always
// asked to quit: with SaveChanges 0 when a step failed. Macros are forced off and alerts
// silenced before the document is opened. Every failure comes back in the outcome with the
// server's own reason; an unknown ProgID comes back as kNotInstalled.
SaveOutcome SaveDocAsTemplate(std::string_view documentPath, TemplateTarget target,
                              const wchar_t* progId = kWordProgId);

// True when an active instance answers its default member with exactly "Microsoft Word".
// The instance is only looked at, never asked to quit; every failure is false.
bool IsWordRunning(const wchar_t* progId = kWordProgId);

// The run's automation: the routines above.
class WordAutomation final : public Automation {
 public:
  bool IsWordRunning() override { return quillory::IsWordRunning(); }
  SaveOutcome SaveDocAsTemplate(const std::string& documentPath, TemplateTarget target) override {
    return quillory::SaveDocAsTemplate(documentPath, target);
  }
};

// The "Save As Dot" press after the button convention: the run over the list, with a busy
// server's refusals retried.
void RunConversion(RunView& view);

}  // namespace quillory
