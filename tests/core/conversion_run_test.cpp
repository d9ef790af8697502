#include "conversion/conversion_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace quillory {
namespace {

using ::testing::ElementsAre;

// Records what the run does to the window, and the window's state at each message.
class FakeView : public RunView {
 public:
  std::vector<std::string> entries;
  std::vector<std::string> log;
  double progress = 0;
  int pointer = 0;
  bool answerYes = true;
  struct Shown {
    std::string text;
    double progress;
    int pointer;
  };
  std::vector<Shown> messages;

  size_t EntryCount() const override { return entries.size(); }
  std::string EntryText(size_t position) const override { return entries.at(position - 1); }
  void SetProgress(double value) override {
    progress = value;
    log.push_back("progress " + std::to_string(static_cast<int>(value * 10 + 0.5)));
  }
  void SetPointer(int shape) override {
    pointer = shape;
    log.push_back("pointer " + std::to_string(shape));
  }
  void ShowInformation(const std::string& text) override {
    messages.push_back({text, progress, pointer});
    log.push_back("message");
  }
  bool AskYesNo(const std::string& text) override {
    messages.push_back({text, progress, pointer});
    log.push_back(answerYes ? "asked: yes" : "asked: no");
    return answerYes;
  }
};

class FakeAutomation : public Automation {
 public:
  explicit FakeAutomation(FakeView& view) : view_(view) {}
  bool running = false;
  int runningQueries = 0;
  std::map<std::string, SaveOutcome> outcomes;  // by path; others save
  std::vector<std::string> saved;
  std::vector<double> progressDuringSave;

  bool IsWordRunning() override {
    ++runningQueries;
    view_.log.push_back("is running");
    return running;
  }
  SaveOutcome SaveDocAsTemplate(const std::string& path) override {
    saved.push_back(path);
    progressDuringSave.push_back(view_.progress);
    view_.log.push_back("save " + path);
    auto it = outcomes.find(path);
    return it == outcomes.end() ? SaveOutcome::Saved() : it->second;
  }

 private:
  FakeView& view_;
};

TEST(ConversionRunTest, ThreeEntriesFollowTheBarThenDoneThenReset) {
  FakeView view;
  view.entries = {"a.doc", "b.doc", "c.doc"};
  FakeAutomation word(view);
  ConvertAll(view, word);

  EXPECT_THAT(view.log,
              ElementsAre("pointer 11", "is running",
                          "progress 333", "pointer 11", "pointer 11", "save a.doc", "pointer 11",
                          "progress 667", "pointer 11", "pointer 11", "save b.doc", "pointer 11",
                          "progress 1000", "pointer 11", "pointer 11", "save c.doc", "pointer 11",
                          "message", "progress 0", "pointer 0"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "Done.");
  EXPECT_DOUBLE_EQ(view.messages[0].progress, 100.0);
  EXPECT_EQ(view.messages[0].pointer, 11);
  EXPECT_EQ(view.progress, 0);
  EXPECT_EQ(view.pointer, 0);
  EXPECT_THAT(view.entries, ElementsAre("a.doc", "b.doc", "c.doc"));
}

TEST(ConversionRunTest, OneEntryReadsAHundredDuringItsConversion) {
  FakeView view;
  view.entries = {"only.doc"};
  FakeAutomation word(view);
  ConvertAll(view, word);
  EXPECT_THAT(word.progressDuringSave, ElementsAre(100.0));
}

TEST(ConversionRunTest, EmptyListSaysNoFilesAndNeverAsksTheWordProcessor) {
  FakeView view;
  FakeAutomation word(view);
  word.running = true;
  ConvertAll(view, word);
  EXPECT_THAT(view.log, ElementsAre("pointer 11", "message", "progress 0", "pointer 0"));
  EXPECT_EQ(view.messages.at(0).text, "No files added.");
  EXPECT_EQ(word.runningQueries, 0);
}

TEST(ConversionRunTest, DeclinedWarningConvertsNothingAndShowsNoDone) {
  FakeView view;
  view.entries = {"a.doc", "b.doc"};
  view.answerYes = false;
  FakeAutomation word(view);
  word.running = true;
  ConvertAll(view, word);
  EXPECT_TRUE(word.saved.empty());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text,
            "Word may be open. It is recommended that you close Word first.\r\n\r\n"
            "Would you like to proceed anyway?");
  EXPECT_THAT(view.log, ElementsAre("pointer 11", "is running", "asked: no", "progress 0", "pointer 0"));
}

TEST(ConversionRunTest, AcceptedWarningConvertsEveryEntryInOrder) {
  FakeView view;
  view.entries = {"a.doc", "b.doc"};
  FakeAutomation word(view);
  word.running = true;
  ConvertAll(view, word);
  EXPECT_THAT(word.saved, ElementsAre("a.doc", "b.doc"));
  EXPECT_EQ(view.messages.back().text, "Done.");
}

TEST(ConversionRunTest, NoWarningWhenTheWordProcessorIsNotRunning) {
  FakeView view;
  view.entries = {"a.doc"};
  FakeAutomation word(view);
  ConvertAll(view, word);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "Done.");
}

TEST(ConversionRunTest, FailedDocumentsDoNotStopTheRunAndAreListedWithTheirReasons) {
  FakeView view;
  view.entries = {"a.doc", "bad.doc", "c.doc", "worse.docx"};
  FakeAutomation word(view);
  word.outcomes["bad.doc"] = SaveOutcome::Failed("bad.doc is damaged");
  word.outcomes["worse.docx"] = SaveOutcome::Failed("cannot open\r\nworse.docx");
  ConvertAll(view, word);
  EXPECT_THAT(word.saved, ElementsAre("a.doc", "bad.doc", "c.doc", "worse.docx"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text,
            "Done.\r\n\r\n2 documents could not be converted:\r\n"
            "bad.doc: bad.doc is damaged\r\n"
            "worse.docx: cannot open  worse.docx");
  EXPECT_DOUBLE_EQ(view.messages[0].progress, 100.0);
  EXPECT_EQ(view.messages[0].pointer, 11);
  EXPECT_EQ(view.progress, 0);
  EXPECT_EQ(view.pointer, 0);
}

TEST(ConversionRunTest, ClosingMessageListsTwentyFailuresThenCountsTheRest) {
  std::vector<FailedDocument> failures;
  for (int i = 1; i <= 23; ++i) failures.push_back({"d" + std::to_string(i) + ".doc", "why"});
  const std::string text = ClosingMessage(failures, 0);
  EXPECT_EQ(text.rfind("Done.\r\n\r\n23 documents could not be converted:", 0), 0u);
  EXPECT_NE(text.find("\r\nd20.doc: why"), std::string::npos);
  EXPECT_EQ(text.find("d21.doc"), std::string::npos);
  EXPECT_THAT(text, ::testing::EndsWith("\r\nd20.doc: why\r\nand 3 more."));

  EXPECT_EQ(ClosingMessage({{"x.doc", "gone"}}, 0),
            "Done.\r\n\r\n1 document could not be converted:\r\nx.doc: gone");
  EXPECT_EQ(ClosingMessage({}, 0), "Done.");
}

TEST(ConversionRunTest, MissingWordProcessorIsSaidOnceNotPerDocument) {
  FakeView view;
  view.entries = {"a.doc", "b.doc", "c.doc"};
  FakeAutomation word(view);
  word.outcomes["a.doc"] = SaveOutcome::NotInstalled("Invalid class string");
  ConvertAll(view, word);
  EXPECT_THAT(word.saved, ElementsAre("a.doc"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text,
            "Microsoft Word is not installed on this computer, so no document was converted.");
  EXPECT_EQ(view.progress, 0);
  EXPECT_EQ(view.pointer, 0);
}

TEST(ConversionRunTest, WordProcessorGoneMidRunCountsTheDocumentsNotTried) {
  FakeView view;
  view.entries = {"a.doc", "b.doc", "c.doc"};
  FakeAutomation word(view);
  word.outcomes["b.doc"] = SaveOutcome::NotInstalled("Class not registered");
  ConvertAll(view, word);
  EXPECT_THAT(word.saved, ElementsAre("a.doc", "b.doc"));
  EXPECT_EQ(view.messages.at(0).text,
            "Done.\r\n\r\nMicrosoft Word could not be found, so the last 2 documents were not converted.");
}

// A window closed while a document was converted ends the run without another message.
class ClosingView : public FakeView {
 public:
  bool closed = false;
  bool Closed() const override { return closed; }
};

class ClosingAutomation : public FakeAutomation {
 public:
  ClosingAutomation(ClosingView& view) : FakeAutomation(view), view_(view) {}
  SaveOutcome SaveDocAsTemplate(const std::string& path) override {
    view_.closed = true;
    return FakeAutomation::SaveDocAsTemplate(path);
  }

 private:
  ClosingView& view_;
};

TEST(ConversionRunTest, ClosedWindowStopsTheRunAtOnce) {
  ClosingView view;
  view.entries = {"a.doc", "b.doc"};
  ClosingAutomation word(view);
  ConvertAll(view, word);
  EXPECT_THAT(word.saved, ElementsAre("a.doc"));
  EXPECT_TRUE(view.messages.empty());
}

TEST(ConversionRunTest, EntriesRemovedDuringTheRunAreNotReadPastTheEnd) {
  class ShrinkingAutomation : public FakeAutomation {
   public:
    using FakeAutomation::FakeAutomation;
    FakeView* list = nullptr;
    SaveOutcome SaveDocAsTemplate(const std::string& path) override {
      list->entries.pop_back();
      return FakeAutomation::SaveDocAsTemplate(path);
    }
  };
  FakeView view;
  view.entries = {"a.doc", "b.doc", "c.doc"};
  ShrinkingAutomation word(view);
  word.list = &view;
  ConvertAll(view, word);
  EXPECT_THAT(word.saved, ElementsAre("a.doc", "b.doc"));
  EXPECT_EQ(view.messages.back().text, "Done.");
}

}  // namespace
}  // namespace quillory
