#include "conversion/conversion_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace quillory {
namespace {

using ::testing::ElementsAre;

// The window and the word processor in one: what the run does to either goes into one log.
struct Fake : RunView, Automation {
  std::vector<std::string> entries, log, saved, messages;
  std::map<std::string, SaveOutcome> outcomes;  // by path; the others are saved
  bool running = false, answerYes = true, closed = false;
  std::function<void()> duringSave;

  explicit Fake(std::vector<std::string> list = {}) : entries(std::move(list)) {}
  size_t EntryCount() const override { return entries.size(); }
  std::string EntryText(size_t position) const override { return entries.at(position - 1); }
  void SetProgress(double value) override { log.push_back("bar " + std::to_string(std::lround(value * 10))); }
  void SetPointer(int shape) override { log.push_back("pointer " + std::to_string(shape)); }
  void ShowInformation(const std::string& text) override { messages.push_back(text); log.push_back("message"); }
  bool AskYesNo(const std::string& text) override { return ShowInformation(text), answerYes; }
  bool Closed() const override { return closed; }
  bool IsWordRunning() override { return log.push_back("running?"), running; }
  SaveOutcome SaveDocAsTemplate(const std::string& path) override {
    log.push_back("save " + path);
    saved.push_back(path);
    if (duringSave) duringSave();
    auto it = outcomes.find(path);
    return it == outcomes.end() ? SaveOutcome::Saved() : it->second;
  }
  void Run() { ConvertAll(*this, *this); }
  std::vector<std::string> LastOfLog(size_t n) const {
    return {log.end() - static_cast<std::ptrdiff_t>(std::min(n, log.size())), log.end()};
  }
};

TEST(ConversionRunTest, ThreeEntriesFollowTheBarThenDoneThenReset) {
  Fake run({"a.doc", "b.doc", "c.doc"});
  run.Run();
  // The bar reads i / count x 100 (in tenths here) while document i is converted; "Done."
  // shows at 100 under the hourglass, then bar and pointer go back.
  EXPECT_THAT(run.log, ElementsAre("pointer 11", "running?",
                                   "bar 333", "pointer 11", "pointer 11", "save a.doc", "pointer 11",
                                   "bar 667", "pointer 11", "pointer 11", "save b.doc", "pointer 11",
                                   "bar 1000", "pointer 11", "pointer 11", "save c.doc", "pointer 11",
                                   "message", "bar 0", "pointer 0"));
  EXPECT_THAT(run.messages, ElementsAre("Done."));
}

TEST(ConversionRunTest, EmptyListSaysNoFilesAndNeverAsksTheWordProcessor) {
  Fake run;
  run.running = true;
  run.Run();
  EXPECT_THAT(run.log, ElementsAre("pointer 11", "message", "bar 0", "pointer 0"));
  EXPECT_THAT(run.messages, ElementsAre("No files added."));
}

TEST(ConversionRunTest, WarningWhileWordRunsConvertsOnlyAfterYes) {
  const char kWarning[] =
      "Word may be open. It is recommended that you close Word first.\r\n\r\n"
      "Would you like to proceed anyway?";
  Fake declined({"a.doc", "b.doc"});
  declined.running = true;
  declined.answerYes = false;
  declined.Run();
  EXPECT_THAT(declined.log, ElementsAre("pointer 11", "running?", "message", "bar 0", "pointer 0"));
  EXPECT_THAT(declined.messages, ElementsAre(kWarning));

  Fake accepted({"a.doc", "b.doc"});
  accepted.running = true;
  accepted.Run();
  EXPECT_THAT(accepted.saved, ElementsAre("a.doc", "b.doc"));
  EXPECT_THAT(accepted.messages, ElementsAre(kWarning, "Done."));
}

TEST(ConversionRunTest, FailedDocumentsDoNotStopTheRunAndAreListedWithTheirReasons) {
  Fake run({"a.doc", "bad.doc", "c.doc", "worse.docx"});
  run.outcomes["bad.doc"] = SaveOutcome::Failed("bad.doc is damaged");
  run.outcomes["worse.docx"] = SaveOutcome::Failed("cannot open\r\nworse.docx");
  run.Run();
  EXPECT_THAT(run.saved, ElementsAre("a.doc", "bad.doc", "c.doc", "worse.docx"));
  EXPECT_THAT(run.messages, ElementsAre("Done.\r\n\r\n2 documents could not be converted:\r\n"
                                        "bad.doc: bad.doc is damaged\r\n"
                                        "worse.docx: cannot open  worse.docx"));
  EXPECT_THAT(run.LastOfLog(8), ElementsAre("bar 1000", "pointer 11", "pointer 11", "save worse.docx", "pointer 11",
                                            "message", "bar 0", "pointer 0"));
}

TEST(ConversionRunTest, ClosingMessageListsTwentyFailuresThenCountsTheRest) {
  std::vector<FailedDocument> failures;
  for (int i = 1; i <= 23; ++i) failures.push_back({"d" + std::to_string(i) + ".doc", "why"});
  const std::string text = ClosingMessage(failures, 0);
  EXPECT_EQ(text.rfind("Done.\r\n\r\n23 documents could not be converted:\r\nd1.doc: why\r\n", 0), 0u);
  EXPECT_THAT(text, ::testing::EndsWith("\r\nd20.doc: why\r\nand 3 more."));
}

TEST(ConversionRunTest, MissingWordProcessorIsSaidOnceNotPerDocument) {
  Fake none({"a.doc", "b.doc", "c.doc"});
  none.outcomes["a.doc"] = SaveOutcome::NotInstalled("Invalid class string");
  none.Run();
  EXPECT_THAT(none.saved, ElementsAre("a.doc"));
  EXPECT_THAT(none.messages,
              ElementsAre("Microsoft Word is not installed on this computer, so no document was converted."));
  EXPECT_THAT(none.LastOfLog(3), ElementsAre("message", "bar 0", "pointer 0"));

  // Gone part way: the documents not tried are counted after "Done.".
  Fake gone({"a.doc", "b.doc", "c.doc"});
  gone.outcomes["b.doc"] = SaveOutcome::NotInstalled("Class not registered");
  gone.Run();
  EXPECT_THAT(gone.saved, ElementsAre("a.doc", "b.doc"));
  EXPECT_THAT(gone.messages, ElementsAre("Done.\r\n\r\nMicrosoft Word could not be found, so the last 2 "
                                         "documents were not converted."));
}

TEST(ConversionRunTest, ClosedWindowStopsTheRunAtOnce) {
  Fake run({"a.doc", "b.doc"});
  run.duringSave = [&] { run.closed = true; };
  run.Run();
  EXPECT_THAT(run.saved, ElementsAre("a.doc"));
  EXPECT_TRUE(run.messages.empty());
}

TEST(ConversionRunTest, EntriesRemovedDuringTheRunAreNotReadPastTheEnd) {
  Fake run({"a.doc", "b.doc", "c.doc"});
  run.duringSave = [&] { run.entries.pop_back(); };
  run.Run();
  EXPECT_THAT(run.saved, ElementsAre("a.doc", "b.doc"));
  EXPECT_THAT(run.messages, ElementsAre("Done."));
}

}  // namespace
}  // namespace quillory
