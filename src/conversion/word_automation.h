// Word1: the one place that talks to the word processor, late bound through COM automation
// under the ProgID "Word.Application". The calling thread must be in a single-threaded
// apartment (the window's thread is).
#pragma once

#include <string_view>

#include "conversion/conversion_run.h"
#include "conversion/template_path.h"

namespace quillory {

class Form1;

inline constexpr wchar_t kWordProgId[] = L"Word.Application";

// Turns one document into a template beside it through a new instance, which is always
// asked to quit: with SaveChanges 0 when a step failed. Macros are forced off and alerts
// silenced before the document is opened. Every failure comes back in the outcome with the
// server's own reason; an unknown ProgID comes back as kNotInstalled.
SaveOutcome SaveDocAsTemplate(std::string_view documentPath, TemplateTarget target,
                              const wchar_t* progId = kWordProgId);
// The same with the target read from the window's option buttons at this call.
SaveOutcome SaveDocAsTemplate(const Form1& form, std::string_view documentPath);

// True when an active instance answers its default member with exactly "Microsoft Word".
// The instance is only looked at, never asked to quit; every failure is false.
bool IsWordRunning(const wchar_t* progId = kWordProgId);

// Asks whether to go on when the word processor seems open; true when the user said No.
bool ConfirmWordClosed(Form1& form);

}  // namespace quillory
