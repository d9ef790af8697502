#include "conversion/conversion_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>

namespace quillory {
namespace {

using ::testing::ElementsAre;

// The window and the word processor in one. What the window shows is kept as state, and each
// save and message is noted with the state it was seen in.
struct Fake : RunView, Automation {
  std::vector<std::string> entries, saved, seen;
  std::map<std::string, SaveOutcome> outcomes;  // by path; the others are saved
  bool running = false, answerYes = true, closed = false, stop = false;
  long bar = 0;  // tenths of a percent
  PointerShape pointer = PointerShape::kDefault;
  TemplateTarget target = TemplateTarget::kDot;
  std::function<void()> duringSave, duringCheck;

  explicit Fake(std::vector<std::string> list = {}) : entries(std::move(list)) {}
  size_t EntryCount() const override { return entries.size(); }
  std::string EntryText(size_t position) const override { return entries.at(position - 1); }
  void SetProgress(double value) override { bar = std::lround(value * 10); }
  void SetMousePointer(PointerShape shape) override { pointer = shape; }
  TemplateTarget Target() const override { return target; }
  void ShowInformation(const std::string& text) override { seen.push_back(State() + " " + text); }
  bool AskYesNo(const std::string& text) override { return ShowInformation("? " + text), answerYes; }
  bool Closed() const override { return closed; }
  bool StopRequested() const override { return stop; }
  bool IsWordRunning() override {
    if (duringCheck) duringCheck();
    return running;
  }
  SaveOutcome SaveDocAsTemplate(const std::string& path, TemplateTarget as) override {
    saved.push_back(path + (as == TemplateTarget::kDot ? " as dot " : " as dotx ") + State());
    if (duringSave) duringSave();
    auto it = outcomes.find(path);
    return it == outcomes.end() ? SaveOutcome::Saved() : it->second;
  }
  std::string State() const {
    return "[bar " + std::to_string(bar) + (pointer == PointerShape::kHourglass ? " busy]" : " idle]");
  }
  void Run() { ConvertAll(*this, *this); }
};

TEST(ConversionRunTest, EachDocumentIsSavedUnderTheHourglassWithTheBarAtItsShareThenDoneThenReset) {
  Fake run({"a.doc", "b.doc", "c.doc"});
  run.duringSave = [&] { run.target = TemplateTarget::kDotx; };  // the choice is read at each document
  run.Run();
  EXPECT_THAT(run.saved, ElementsAre("a.doc as dot [bar 333 busy]", "b.doc as dotx [bar 667 busy]",
                                     "c.doc as dotx [bar 1000 busy]"));
  EXPECT_THAT(run.seen, ElementsAre("[bar 1000 busy] Done."));
  EXPECT_EQ(run.State(), "[bar 0 idle]");
}

TEST(ConversionRunTest, EmptyListSaysNoFilesAddedAndConvertsNothing) {
  Fake run;
  run.running = true;
  run.Run();
  EXPECT_THAT(run.seen, ElementsAre("[bar 0 busy] No files added."));
  EXPECT_EQ(run.State(), "[bar 0 idle]");
}

TEST(ConversionRunTest, WarningWhileWordRunsConvertsOnlyAfterYes) {
  const std::string kWarning =
      "? Word may be open. It is recommended that you close Word first.\r\n\r\n"
      "Would you like to proceed anyway?";
  Fake declined({"a.doc", "b.doc"});
  declined.running = true;
  declined.answerYes = false;
  declined.Run();
  EXPECT_TRUE(declined.saved.empty());
  EXPECT_THAT(declined.seen, ElementsAre("[bar 0 busy] " + kWarning));
  EXPECT_EQ(declined.State(), "[bar 0 idle]");

  Fake accepted({"a.doc", "b.doc"});
  accepted.running = true;
  accepted.Run();
  EXPECT_EQ(accepted.saved.size(), 2u);
  EXPECT_THAT(accepted.seen, ElementsAre("[bar 0 busy] " + kWarning, "[bar 1000 busy] Done."));
}

TEST(ConversionRunTest, FailedDocumentsDoNotStopTheRunAndAreListedOnOneLineEach) {
  Fake run({"a.doc", "bad.doc", "c.doc", "worse.docx", "blank.doc"});
  run.outcomes["bad.doc"] = SaveOutcome::Failed("bad.doc is damaged");
  run.outcomes["worse.docx"] = SaveOutcome::Failed("cannot open\r\nworse.docx\tat all \r\n");
  run.outcomes["blank.doc"] = SaveOutcome::Failed(" \r\n");
  run.Run();
  EXPECT_EQ(run.saved.size(), 5u);
  EXPECT_THAT(run.seen, ElementsAre("[bar 1000 busy] Done.\r\n\r\n3 documents could not be converted:\r\n"
                                    "bad.doc: bad.doc is damaged\r\n"
                                    "worse.docx: cannot open  worse.docx at all\r\n"
                                    "blank.doc: unknown reason"));
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
  EXPECT_EQ(none.saved.size(), 1u);
  EXPECT_THAT(none.seen, ElementsAre("[bar 333 busy] Microsoft Word is not installed on this computer, so no "
                                     "document was converted."));
  EXPECT_EQ(none.State(), "[bar 0 idle]");

  // Gone part way: the documents not tried are counted after "Done.".
  Fake gone({"a.doc", "b.doc", "c.doc"});
  gone.outcomes["b.doc"] = SaveOutcome::NotInstalled("Class not registered");
  gone.Run();
  EXPECT_EQ(gone.saved.size(), 2u);
  EXPECT_THAT(gone.seen, ElementsAre("[bar 667 busy] Done.\r\n\r\nMicrosoft Word could not be found, so the "
                                     "last 2 documents were not converted."));
}

TEST(ConversionRunTest, ClosingTheWindowStopsTheRunAtOnceAndShrinkingTheListIsNotReadPastItsEnd) {
  Fake closed({"a.doc", "b.doc"});
  closed.duringSave = [&] { closed.closed = true; };
  closed.Run();
  EXPECT_EQ(closed.saved.size(), 1u);
  EXPECT_TRUE(closed.seen.empty());
  Fake closedFirst({"a.doc"});  // while an open instance was looked for
  closedFirst.duringCheck = [&] { closedFirst.closed = true; };
  closedFirst.Run();
  EXPECT_TRUE(closedFirst.saved.empty() && closedFirst.seen.empty());

  Fake shrunk({"a.doc", "b.doc", "c.doc"});
  shrunk.duringSave = [&] { shrunk.entries.pop_back(); };
  shrunk.Run();
  EXPECT_EQ(shrunk.saved.size(), 2u);
  EXPECT_THAT(shrunk.seen, ElementsAre("[bar 1000 busy] Done."));
}

TEST(ConversionRunTest, StoppingSaysWhatWasConvertedAndWhatWasNotTried) {
  // Esc while the third of five converts: its instance is ended and it counts as not tried.
  Fake during({"a.doc", "bad.doc", "c.doc", "d.doc", "e.doc"});
  during.outcomes["bad.doc"] = SaveOutcome::Failed("damaged");
  during.outcomes["c.doc"] = SaveOutcome::Stopped();
  during.Run();
  EXPECT_EQ(during.saved.size(), 3u);
  EXPECT_THAT(during.seen, ElementsAre("[bar 600 busy] Stopped.\r\n\r\n1 document converted, 3 not tried.\r\n\r\n"
                                       "1 document could not be converted:\r\nbad.doc: damaged"));
  EXPECT_EQ(during.State(), "[bar 0 idle]");

  // Esc as a document finishes: it counts as converted, the rest as not tried.
  Fake between({"a.doc", "b.doc", "c.doc"});
  between.duringSave = [&] { between.stop = between.saved.size() == 2; };
  between.Run();
  EXPECT_THAT(between.seen, ElementsAre("[bar 667 busy] Stopped.\r\n\r\n2 documents converted, 1 not tried."));

  // Esc while an open instance is looked for: nothing is begun.
  Fake before({"a.doc", "b.doc"});
  before.duringCheck = [&] { before.stop = true; };
  before.Run();
  EXPECT_TRUE(before.saved.empty());
  EXPECT_THAT(before.seen, ElementsAre("[bar 0 busy] Stopped.\r\n\r\n0 documents converted, 2 not tried."));
}

TEST(ConversionRunTest, ATimedOutDocumentSaysItsLimitAndWhetherItsInstanceWasEnded) {
  EXPECT_THAT(TimeLimitReason(120, true), ::testing::AllOf(::testing::HasSubstr("within 120 seconds"),
                                                          ::testing::HasSubstr("prompt"),
                                                          ::testing::EndsWith("Its instance was ended.")));
  EXPECT_THAT(TimeLimitReason(3, false), ::testing::HasSubstr("left running"));
}

}  // namespace
}  // namespace quillory
