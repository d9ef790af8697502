// The console's side of the run: the documents named on the command line, a line for each as
// it ends, the warnings on standard error (a script cannot answer a question), the checks
// made before a document goes to the word processor (it must exist; with /newer, its template
// must not be newer), where its template goes (with /out, below that folder as the document
// stood below its path argument, folders made as they are needed) and the report written as
// the run goes.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/console_output.h"
#include "conversion/conversion_run.h"
#include "conversion/report_journal.h"
#include "conversion/word_automation_win.h"

namespace quillory {

// A document as the command line named it.
struct NamedDocument {
  std::string path;      // full
  std::string relative;  // below its path argument (RelativeName)
  bool found = false;    // by a folder's search or a pattern: it was there a moment ago
};

struct ConsoleRunChoices {
  TemplateTarget target = TemplateTarget::kDot;
  bool skipNewer = false;
  std::string outFolder;  // full; empty: beside each document
  bool listOnly = false;  // /list: folders under /out are looked at, never made
};

class ConsoleRunView final : public RunView {
 public:
  ConsoleRunView(std::vector<NamedDocument> documents, ConsoleRunChoices choices, const std::atomic<bool>& stop,
                 ConsoleOutput& out, ConsoleOutput& err, ReportJournal* journal = nullptr)
      : documents_(std::move(documents)), choices_(std::move(choices)), stop_(stop), out_(out), err_(err),
        journal_(journal) {}

  size_t EntryCount() const override { return documents_.size(); }
  std::string EntryText(size_t index) const override { return documents_[index].path; }
  void SetProgress(double) override {}
  TemplateTarget Target() const override { return choices_.target; }
  // Nothing: the lines, the summary and what the report says of the word processor tell it all.
  void ShowInformation(const std::string&) override {}
  // Warns on standard error and goes on.
  bool AskYesNo(const std::string& text) override;
  bool Closed() const override { return false; }
  bool StopRequested() const override { return stop_; }
  std::string TemplateFor(size_t index, const std::string& document, TemplateTarget target) const override;
  std::string PathKey(const std::string& path) const override;
  DocumentCheck CheckDocument(size_t index, const std::string& document, const std::string& templatePath) override;
  DocumentCheck PrepareDocument(const std::string& templatePath) override;
  void DocumentEnded(size_t index, size_t count, const ReportRow& row) override;
  void RowReported(const ReportRow& row) override {
    if (journal_) journal_->Add(row);
  }

 private:
  std::vector<NamedDocument> documents_;
  ConsoleRunChoices choices_;
  const std::atomic<bool>& stop_;
  ConsoleOutput& out_;
  ConsoleOutput& err_;
  ReportJournal* journal_;
  // Why each folder looked at under /out could not be made (empty when it could), so that a
  // listing looks at each folder once.
  std::unordered_map<std::string, std::string> blocked_;
  const std::string& Blocked(const std::string& folder);
};

}  // namespace quillory
