#include "conversion/conversion_run.h"

#include <algorithm>
#include <chrono>

namespace quillory {
namespace {

// A reason is shown on one line after its document.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text.empty() ? std::string("unknown reason") : text;
}

std::string Documents(size_t n) {
  return std::to_string(n) + (n == 1 ? " document" : " documents");
}

std::string FailureList(const std::vector<FailedDocument>& failures) {
  if (failures.empty()) return {};
  std::string text = "\r\n\r\n" + Documents(failures.size()) + " could not be converted:";
  const size_t listed = std::min(failures.size(), kFailuresListed);
  for (size_t i = 0; i < listed; ++i) {
    text += "\r\n" + failures[i].path + ": " + OneLine(failures[i].reason);
  }
  if (failures.size() > listed) {
    text += "\r\nand " + std::to_string(failures.size() - listed) + " more.";
  }
  return text;
}

// Only when the message cannot name every failure does it point to the report.
std::string ReportLine(const std::vector<FailedDocument>& failures, const KeptReport& kept) {
  if (failures.size() <= kFailuresListed) return {};
  if (!kept.path.empty()) return "\r\n\r\nThe report of this run names every document: " + kept.path;
  if (!kept.error.empty()) return "\r\n\r\nThe report of this run could not be saved: " + OneLine(kept.error);
  return {};
}

// The rows of the documents from `first` on, none of them tried.
void NotTried(RunView& view, size_t first, size_t count, const std::string& reason, RunReport& report) {
  const TemplateTarget target = view.Target();
  for (size_t i = first; i < count && i < view.EntryCount(); ++i) {
    std::string path = view.EntryText(i);
    std::string templatePath = TemplatePath(path, target);
    report.rows.push_back({std::move(path), std::move(templatePath), DocumentResult::kNotTried, reason, 0});
  }
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

WordCheck ConfirmWordClosed(RunView& view, Automation& automation) {
  if (!automation.IsWordRunning()) return WordCheck::kGoOn;
  return view.AskYesNo(kWordMayBeOpenText) ? WordCheck::kGoOn : WordCheck::kDeclined;
}

std::string ClosingMessage(const std::vector<FailedDocument>& failures, size_t notTried, const KeptReport& kept) {
  std::string text = kDoneText + FailureList(failures);
  if (notTried > 0) {
    text += "\r\n\r\nMicrosoft Word could not be found, so the last " + Documents(notTried) +
            " were not converted.";
  }
  return text + ReportLine(failures, kept);
}

std::string StoppedMessage(size_t converted, const std::vector<FailedDocument>& failures, size_t notTried,
                           const KeptReport& kept) {
  return std::string(kStoppedText) + "\r\n\r\n" + Documents(converted) + " converted, " +
         std::to_string(notTried) + " not tried." + FailureList(failures) + ReportLine(failures, kept);
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
  view.SetMousePointer(PointerShape::kHourglass);

  if (view.EntryCount() < 1) {
    view.ShowInformation(kNoFilesAddedText);
  } else if (ConfirmWordClosed(view, automation) == WordCheck::kGoOn) {
    const size_t n = view.EntryCount();
    std::vector<FailedDocument> failures;
    size_t saved = 0, notTried = 0;
    report.rows.reserve(n);
    // How many documents after each one go to an instance, so that instances are started ahead
    // only for documents that need one (each is checked again at its turn).
    std::vector<size_t> toCome(n + 1, 0);
    for (size_t j = n; j-- > 0;) {
      const std::string path = view.EntryText(j);
      const bool converts =
          view.CheckDocument(path, TemplatePath(path, view.Target())).verdict == DocumentCheck::Verdict::kConvert;
      toCome[j] = toCome[j + 1] + (converts ? 1 : 0);
    }
    // Esc, or the window closed, may already have come while an open instance was looked for.
    size_t i = 0;
    for (; i < n && !view.Closed() && !view.StopRequested(); ++i) {
      // The count is read afresh: the bar shows the share of documents begun.
      const size_t count = view.EntryCount();
      if (i >= count) break;
      view.SetProgress(static_cast<double>(i + 1) / static_cast<double>(count) * 100.0);
      const auto start = std::chrono::steady_clock::now();
      const TemplateTarget target = view.Target();
      ReportRow row{view.EntryText(i), {}, DocumentResult::kConverted, {}, 0};
      row.templatePath = TemplatePath(row.document, target);
      const DocumentCheck check = view.CheckDocument(row.document, row.templatePath);
      if (check.verdict == DocumentCheck::Verdict::kConvert) automation.DocumentsToCome(toCome[i + 1]);
      SaveOutcome outcome = check.verdict == DocumentCheck::Verdict::kConvert
                                ? automation.SaveDocAsTemplate(row.document, target)
                                : SaveOutcome::Failed(check.reason);
      row.seconds = SecondsSince(start);
      if (outcome.status == SaveOutcome::Status::kNotInstalled) {
        // Without the word processor every further document would fail alike: say it once.
        report.end = RunEnd::kNotInstalled;
        notTried = n - i;
        NotTried(view, i, n, "Microsoft Word could not be found: " + OneLine(outcome.reason), report);
        break;
      }
      if (outcome.status == SaveOutcome::Status::kStopped) break;  // abandoned: nothing of it was written
      if (check.verdict == DocumentCheck::Verdict::kSkip) {
        row.result = DocumentResult::kSkipped;
        row.reason = check.reason;
      } else if (outcome.status == SaveOutcome::Status::kFailed) {
        row.result = DocumentResult::kFailed;
        row.reason = OneLine(outcome.reason);
        failures.push_back({row.document, std::move(outcome.reason)});
      } else {
        if (!outcome.reason.empty()) row.reason = OneLine(outcome.reason);
        ++saved;
      }
      view.DocumentEnded(i, n, row);
      report.rows.push_back(std::move(row));
    }
    if (report.end == RunEnd::kFinished && (view.Closed() || (i < n && i < view.EntryCount()))) {
      // Stopped, or the window closed, before the end of the list.
      report.end = view.Closed() ? RunEnd::kClosed : RunEnd::kStopped;
      notTried = n - std::min(i, n);
      NotTried(view, i, n,
               view.Closed() ? "The window was closed before it was converted."
                             : "The run was stopped before it was converted.",
               report);
    }
    const KeptReport kept = view.KeepReport(report);
    if (report.end == RunEnd::kClosed) return report;
    if (report.end == RunEnd::kStopped) {
      view.ShowInformation(StoppedMessage(saved, failures, notTried, kept));
    } else if (notTried > 0 && saved == 0 && failures.empty()) {
      view.ShowInformation(kWordNotInstalledText);
    } else {
      view.ShowInformation(ClosingMessage(failures, notTried, kept));
    }
  }

  if (view.Closed()) return report;
  view.SetProgress(0);
  view.SetMousePointer(PointerShape::kDefault);
  return report;
}

}  // namespace quillory
