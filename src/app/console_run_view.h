// The console's side of the run: the documents named on the command line, a line for each as
// it ends, the warnings on standard error (a script cannot answer a question), and the checks
// made before a document goes to the word processor (it must exist; with /newer, its template
// must not be newer).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/console_output.h"
#include "conversion/conversion_run.h"
#include "conversion/word_automation_win.h"

namespace quillory {

class ConsoleRunView final : public RunView {
 public:
  ConsoleRunView(std::vector<std::string> documents, TemplateTarget target, bool skipNewer,
                 const std::atomic<bool>& stop, ConsoleOutput& out, ConsoleOutput& err)
      : documents_(std::move(documents)), target_(target), skipNewer_(skipNewer), stop_(stop), out_(out), err_(err) {}

  size_t EntryCount() const override { return documents_.size(); }
  std::string EntryText(size_t index) const override { return documents_[index]; }
  void SetProgress(double) override {}
  TemplateTarget Target() const override { return target_; }
  // Nothing: the lines, the summary and what the report says of the word processor tell it all.
  void ShowInformation(const std::string&) override {}
  // Warns on standard error and goes on.
  bool AskYesNo(const std::string& text) override;
  bool Closed() const override { return false; }
  bool StopRequested() const override { return stop_; }
  DocumentCheck CheckDocument(const std::string& document, const std::string& templatePath) override;
  void DocumentEnded(size_t index, size_t count, const ReportRow& row) override;

 private:
  std::vector<std::string> documents_;
  TemplateTarget target_;
  bool skipNewer_;
  const std::atomic<bool>& stop_;
  ConsoleOutput& out_;
  ConsoleOutput& err_;
};

}  // namespace quillory
