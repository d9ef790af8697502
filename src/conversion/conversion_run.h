// The conversion run over a front end's list: the warning when the word processor seems open,
// one template per entry with the progress following, and the closing message, each told to
// the front end, which may stop the run between or during documents or close under it.
// Portable: the front end and the automation are reached through two small interfaces, so the
// whole sequence can be driven by fakes.
#pragma once

#include <cstddef>
#include <string>

#include "conversion/closing_message.h"
#include "conversion/run_report.h"
#include "conversion/save_outcome.h"
#include "conversion/template_collisions.h"
#include "conversion/template_path.h"

namespace quillory {

inline constexpr char kNoFilesAddedText[] = "No files added.";
inline constexpr char kWordMayBeOpenText[] =
    "Word may be open. It is recommended that you close Word first.\r\n\r\n"
    "Would you like to proceed anyway?";

// Whether a document goes to the word processor at all.
struct DocumentCheck {
  enum class Verdict { kConvert, kSkip, kFail };
  Verdict verdict = Verdict::kConvert;
  std::string reason;
};

// What the front end offers the run.
class RunView {
 public:
  virtual ~RunView() = default;
  virtual size_t EntryCount() const = 0;
  // Index 0 is the top entry.
  virtual std::string EntryText(size_t index) const = 0;
  virtual void SetProgress(double value) = 0;  // 0..100
  // The run has begun, and has ended (the window's hourglass; a console shows nothing).
  virtual void LongWorkBegins() {}
  virtual void LongWorkEnds() {}
  // The template kind chosen now (read at each document).
  virtual TemplateTarget Target() const = 0;
  // Modal message with an OK button only.
  virtual void ShowInformation(const std::string& text) = 0;
  // Modal question with Yes and No, Yes the default; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // True once the window is gone: the run stops at once and shows nothing more.
  virtual bool Closed() const = 0;
  // True once the user asked to stop (Esc): the run stops and says what it did.
  virtual bool StopRequested() const = 0;

  // Where the template of entry `index` goes: beside its document unless the front end says.
  virtual std::string TemplateFor(size_t /*index*/, const std::string& document, TemplateTarget target) const {
    return TemplatePath(document, target);
  }
  // What two paths are compared by when the run looks for documents making one template.
  virtual std::string PathKey(const std::string& path) const;
  // Asked before each document, and once for every entry before the first.
  virtual DocumentCheck CheckDocument(size_t /*index*/, const std::string& /*document*/,
                                      const std::string& /*templatePath*/) {
    return {};
  }
  // Asked once a document is about to go to the word processor (its template's folder made).
  virtual DocumentCheck PrepareDocument(const std::string& /*templatePath*/) { return {}; }
  // The run's first document is about to begin.
  virtual void RunBegins() {}
  // Each document as it ends (converted, failed or skipped); `index` counts from 0.
  virtual void DocumentEnded(size_t /*index*/, size_t /*count*/, const ReportRow& /*row*/) {}
  // Every row of the report as it is made, those not tried included, in list order.
  virtual void RowReported(const ReportRow& /*row*/) {}
  // The report of a run that began, before its closing message; where it was kept, if it was.
  virtual KeptReport KeepReport(const RunReport& /*report*/) { return {}; }
};

// What the run needs of the word processor.
class Automation {
 public:
  virtual ~Automation() = default;
  virtual bool IsWordRunning() = 0;
  // How many documents the run means to send after the next one, so that their instances can
  // be started ahead; told before each document.
  virtual void DocumentsToCome(size_t /*count*/) {}
  // One document through a new instance, saved as `templatePath` in the target's format; every
  // failure comes back as an outcome.
  virtual SaveOutcome SaveDocAsTemplate(const std::string& documentPath, const std::string& templatePath,
                                        TemplateTarget target) = 0;
  // The last document has ended: whatever the run started is settled while the work still
  // shows as long, before the closing message.
  virtual void DocumentsEnded() {}
};

enum class WordCheck { kGoOn, kDeclined };

// Warns when the word processor seems open: kDeclined when the user chose not to go on.
WordCheck ConfirmWordClosed(RunView& view, Automation& automation);

// The run, from the start of long work to the reset of the bar and its end. The report of the run, one row
// per entry; no rows when nothing began (an empty list, the warning declined).
RunReport ConvertAll(RunView& view, Automation& automation);

// What the run would do with each entry, without doing it: a row per entry whose result is
// kConverted for a document that would go to the word processor, with the checks and the
// template collisions of a run.
RunReport PlanRun(RunView& view);

// Why a document that held its instance past the time limit failed.
std::string TimeLimitReason(unsigned seconds, bool instanceEnded);

}  // namespace quillory
