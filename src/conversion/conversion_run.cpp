#include "conversion/conversion_run.h"

#include <algorithm>

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

}  // namespace

WordCheck ConfirmWordClosed(RunView& view, Automation& automation) {
  if (!automation.IsWordRunning()) return WordCheck::kGoOn;
  return view.AskYesNo(kWordMayBeOpenText) ? WordCheck::kGoOn : WordCheck::kDeclined;
}

std::string ClosingMessage(const std::vector<FailedDocument>& failures, size_t notTried) {
  std::string text = kDoneText + FailureList(failures);
  if (notTried > 0) {
    text += "\r\n\r\nMicrosoft Word could not be found, so the last " + Documents(notTried) +
            " were not converted.";
  }
  return text;
}

std::string StoppedMessage(size_t converted, const std::vector<FailedDocument>& failures, size_t notTried) {
  return std::string(kStoppedText) + "\r\n\r\n" + Documents(converted) + " converted, " +
         std::to_string(notTried) + " not tried." + FailureList(failures);
}

std::string TimeLimitReason(unsigned seconds, bool instanceEnded) {
  return "It did not finish within " + std::to_string(seconds) +
         " seconds; the word processor may have been waiting on a prompt nobody could see (a "
         "password, a file in use, a repair question). " +
         (instanceEnded ? "Its instance was ended." : "Its instance could not be told apart and was left running.");
}

void ConvertAll(RunView& view, Automation& automation) {
  view.SetMousePointer(PointerShape::kHourglass);

  if (view.EntryCount() < 1) {
    view.ShowInformation(kNoFilesAddedText);
  } else if (ConfirmWordClosed(view, automation) == WordCheck::kGoOn) {
    const size_t n = view.EntryCount();
    std::vector<FailedDocument> failures;
    size_t saved = 0;
    if (view.Closed()) return;
    // Esc may already have come while an open instance was looked for.
    bool stopped = view.StopRequested();
    size_t notTried = stopped ? n : 0;
    for (size_t i = 0; !stopped && i < n; ++i) {
      // The count is read afresh: the bar shows the share of documents begun.
      const size_t count = view.EntryCount();
      if (i >= count) break;
      view.SetProgress(static_cast<double>(i + 1) / static_cast<double>(count) * 100.0);
      const std::string path = view.EntryText(i);
      SaveOutcome outcome = automation.SaveDocAsTemplate(path, view.Target());
      if (view.Closed()) return;
      if (outcome.status == SaveOutcome::Status::kSaved) {
        ++saved;
      } else if (outcome.status == SaveOutcome::Status::kFailed) {
        failures.push_back({path, std::move(outcome.reason)});
      } else if (outcome.status == SaveOutcome::Status::kNotInstalled) {
        // Without the word processor every further document would fail alike: say it once.
        notTried = n - i;
        break;
      }
      if (outcome.status == SaveOutcome::Status::kStopped || view.StopRequested()) {
        // The document abandoned on the way counts as not tried: nothing of it was written.
        stopped = true;
        notTried = n - i - (outcome.status == SaveOutcome::Status::kStopped ? 0 : 1);
        break;
      }
    }
    if (stopped) {
      view.ShowInformation(StoppedMessage(saved, failures, notTried));
    } else if (notTried > 0 && saved == 0 && failures.empty()) {
      view.ShowInformation(kWordNotInstalledText);
    } else {
      view.ShowInformation(ClosingMessage(failures, notTried));
    }
  }

  if (view.Closed()) return;
  view.SetProgress(0);
  view.SetMousePointer(PointerShape::kDefault);
}

}  // namespace quillory
