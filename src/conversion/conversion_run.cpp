#include "conversion/conversion_run.h"

#include <chrono>
#include <optional>
#include <vector>

#include "common/ascii.h"

namespace quillory {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each entry with its template, worked out once: when the run begins, and again only for an
// entry whose text or target has changed by its turn. Documents that would make a template an
// earlier one makes are known from the start.
class Plan {
 public:
  explicit Plan(RunView& view) : view_(view), target_(view.Target()) {
    rows_.resize(view.EntryCount());
    for (size_t i = 0; i < rows_.size(); ++i) rows_[i] = Row(i, view.EntryText(i), target_);
    collisions_ = TemplateCollisions(rows_, [&view](const std::string& path) { return view.PathKey(path); });
  }
  size_t Size() const { return rows_.size(); }
  const ReportRow& Planned(size_t index) const { return rows_[index]; }
  // The entry as it stands now, with the target chosen now.
  ReportRow At(size_t index, TemplateTarget target) {
    std::string text = view_.EntryText(index);
    if (text != rows_[index].document || target != target_) return Row(index, std::move(text), target);
    return rows_[index];
  }
  // The view's check, then whether an earlier document makes the same template.
  DocumentCheck Check(size_t index, const ReportRow& row) const {
    DocumentCheck check = view_.CheckDocument(index, row.document, row.templatePath);
    if (check.verdict == DocumentCheck::Verdict::kConvert && collisions_[index]) {
      check = {DocumentCheck::Verdict::kFail, CollisionReason(row.templatePath, rows_[*collisions_[index]].document)};
    }
    return check;
  }

 private:
  ReportRow Row(size_t index, std::string document, TemplateTarget target) const {
    std::string templatePath = view_.TemplateFor(index, document, target);
    return {std::move(document), std::move(templatePath), DocumentResult::kConverted, {}, 0};
  }
  RunView& view_;
  TemplateTarget target_;
  std::vector<ReportRow> rows_;
  std::vector<std::optional<size_t>> collisions_;
};

void Add(RunView& view, ReportRow row, RunReport& report) {
  view.RowReported(row);
  report.rows.push_back(std::move(row));
}

// A row's result and reason from a check that refused it.
void Refused(const DocumentCheck& check, ReportRow& row) {
  row.result = check.verdict == DocumentCheck::Verdict::kSkip ? DocumentResult::kSkipped : DocumentResult::kFailed;
  row.reason = check.verdict == DocumentCheck::Verdict::kSkip ? check.reason : OneLine(check.reason);
}

// The rows of the entries from `first` on, none of them tried.
void NotTried(RunView& view, Plan& plan, size_t first, const std::string& reason, RunReport& report) {
  const TemplateTarget target = view.Target();
  for (size_t i = first; i < plan.Size() && i < view.EntryCount(); ++i) {
    ReportRow row = plan.At(i, target);
    row.result = DocumentResult::kNotTried;
    row.reason = reason;
    Add(view, std::move(row), report);
  }
}

// Every entry in list order, until the end, a stop or the window's close.
void ConvertEntries(RunView& view, Automation& automation, RunReport& report) {
  using Verdict = DocumentCheck::Verdict;
  Plan plan(view);
  const size_t n = plan.Size();
  report.rows.reserve(n);
  // How many documents after each one go to an instance, so that instances are started ahead
  // only for documents that need one (each is checked again at its turn).
  std::vector<size_t> toCome(n + 1, 0);
  for (size_t j = n; j-- > 0;) {
    const ReportRow& row = plan.Planned(j);
    toCome[j] = toCome[j + 1] + (plan.Check(j, row).verdict == Verdict::kConvert);
  }
  view.RunBegins();
  // Esc, or the window closed, may already have come while an open instance was looked for.
  size_t i = 0;
  for (; i < n && !view.Closed() && !view.StopRequested(); ++i) {
    // The count is read afresh: the bar shows the share of documents begun.
    const size_t count = view.EntryCount();
    if (i >= count) break;
    view.SetProgress(static_cast<double>(i + 1) / static_cast<double>(count) * 100.0);
    const auto start = std::chrono::steady_clock::now();
    const TemplateTarget target = view.Target();
    ReportRow row = plan.At(i, target);
    DocumentCheck check = plan.Check(i, row);
    if (check.verdict == Verdict::kConvert) check = view.PrepareDocument(row.templatePath);
    SaveOutcome outcome;
    if (check.verdict == Verdict::kConvert) {
      automation.DocumentsToCome(toCome[i + 1]);
      outcome = automation.SaveDocAsTemplate(row.document, row.templatePath, target);
    }
    row.seconds = SecondsSince(start);
    if (outcome.status == SaveOutcome::Status::kNotInstalled) {
      // Without the word processor every further document would fail alike: say it once.
      report.end = RunEnd::kNotInstalled;
      NotTried(view, plan, i, "Microsoft Word could not be found: " + OneLine(outcome.reason), report);
      return;
    }
    if (outcome.status == SaveOutcome::Status::kStopped) break;  // abandoned: nothing of it was written
    if (check.verdict != Verdict::kConvert) {
      Refused(check, row);
    } else if (outcome.status == SaveOutcome::Status::kFailed) {
      row.result = DocumentResult::kFailed;
      row.reason = OneLine(outcome.reason);
    } else {
      row.macrosLost = outcome.macrosLost;
      const std::string note = outcome.reason.empty() ? "" : OneLine(outcome.reason);
      row.reason = row.macrosLost ? kMacrosNotKeptText + (note.empty() ? "" : " " + note) : note;
    }
    view.DocumentEnded(i, n, row);
    Add(view, std::move(row), report);
  }
  if (view.Closed() || (i < n && i < view.EntryCount())) {
    // Stopped, or the window closed, before the end of the list.
    report.end = view.Closed() ? RunEnd::kClosed : RunEnd::kStopped;
    NotTried(view, plan, i,
             view.Closed() ? "The window was closed before it was converted."
                           : "The run was stopped before it was converted.",
             report);
  }
}

}  // namespace

std::string RunView::PathKey(const std::string& path) const { return LowerAscii(path); }

RunReport PlanRun(RunView& view) {
  RunReport report;
  Plan plan(view);
  for (size_t i = 0; i < plan.Size(); ++i) {
    ReportRow row = plan.Planned(i);
    const DocumentCheck check = plan.Check(i, row);
    if (check.verdict != DocumentCheck::Verdict::kConvert) Refused(check, row);
    report.rows.push_back(std::move(row));
  }
  return report;
}

WordCheck ConfirmWordClosed(RunView& view, Automation& automation) {
  if (!automation.IsWordRunning()) return WordCheck::kGoOn;
  return view.AskYesNo(kWordMayBeOpenText) ? WordCheck::kGoOn : WordCheck::kDeclined;
}

std::string TimeLimitReason(unsigned seconds, bool instanceEnded) {
  return "It did not finish within " + std::to_string(seconds) +
         " seconds; the word processor may have been waiting on a prompt nobody could see (a "
         "password, a file in use, a repair question). " +
         (instanceEnded ? "Its instance was ended."
                        : "Its instance could not be tied to its process, so it was not ended: it was told to quit "
                          "and may be left running.");
}

RunReport ConvertAll(RunView& view, Automation& automation) {
  RunReport report;
  view.LongWorkBegins();
  if (view.EntryCount() < 1) {
    view.ShowInformation(kNoFilesAddedText);
  } else if (ConfirmWordClosed(view, automation) == WordCheck::kGoOn) {
    ConvertEntries(view, automation, report);
    automation.DocumentsEnded();
    const KeptReport kept = view.KeepReport(report);
    if (report.end == RunEnd::kClosed) return report;
    view.ShowInformation(ClosingMessage(report, kept));
  }
  if (view.Closed()) return report;
  view.SetProgress(0);
  view.LongWorkEnds();
  return report;
}

}  // namespace quillory
