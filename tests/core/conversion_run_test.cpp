#include "conversion/conversion_run.h"
#include "conversion/report_journal.h"
#include "conversion/report_reading.h"

#include "core_test.h"

#include <cmath>

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
  bool longWork = false;
  TemplateTarget target = TemplateTarget::kDot;
  std::function<void(Fake&)> duringSave, duringCheck, duringMessage;
  std::map<std::string, DocumentCheck> checks;  // by path; the others are converted
  std::vector<std::string> ended;                // "index/count result" as each document ends
  RunReport keptReport, reported;  // as kept at the end, and as each row was made
  KeptReport kept;
  std::vector<size_t> toCome;  // what the automation was told before each document
  std::string settled;         // the window when the run's instances were settled

  explicit Fake(std::vector<std::string> list = {}) : entries(std::move(list)) {}
  size_t EntryCount() const override { return entries.size(); }
  std::string EntryText(size_t index) const override { return entries.at(index); }
  void SetProgress(double value) override { bar = std::lround(value * 10); }
  void LongWorkBegins() override { longWork = true; }
  void LongWorkEnds() override { longWork = false; }
  TemplateTarget Target() const override { return target; }
  void ShowInformation(const std::string& text) override {
    seen.push_back(State() + " " + text);
    if (duringMessage) duringMessage(*this);
  }
  bool AskYesNo(const std::string& text) override { return ShowInformation("? " + text), answerYes; }
  bool Closed() const override { return closed; }
  bool StopRequested() const override { return stop; }
  bool IsWordRunning() override {
    if (duringCheck) duringCheck(*this);
    return running;
  }
  void DocumentsToCome(size_t count) override { toCome.push_back(count); }
  void DocumentsEnded() override { settled = State() + " after " + std::to_string(seen.size()) + " messages"; }
  SaveOutcome SaveDocAsTemplate(const std::string& path, const std::string&, TemplateTarget as) override {
    saved.push_back(path + (as == TemplateTarget::kDot ? " as dot " : " as dotx ") + State());
    if (duringSave) duringSave(*this);
    auto it = outcomes.find(path);
    return it == outcomes.end() ? SaveOutcome::Saved() : it->second;
  }
  DocumentCheck CheckDocument(size_t, const std::string& path, const std::string&) override {
    auto it = checks.find(path);
    return it == checks.end() ? DocumentCheck{} : it->second;
  }
  void DocumentEnded(size_t index, size_t count, const ReportRow& row) override {
    ended.push_back(std::to_string(index) + "/" + std::to_string(count) + " " + ResultName(row.result));
  }
  void RowReported(const ReportRow& row) override { reported.rows.push_back(row); }
  KeptReport KeepReport(const RunReport& report) override { return keptReport = report, kept; }
  std::string State() const {
    return "[bar " + std::to_string(bar) + (longWork ? " busy]" : " idle]");
  }
};

// A run over `entries` with the fake set up first, or its saves ending as `outcomes` says: the
// number of saves, the messages and the window's state after it (left as it was once the window
// is closed).
using Result = std::tuple<size_t, std::vector<std::string>, std::string>;
Result Converted(std::vector<std::string> entries, const std::function<void(Fake&)>& setUp) {
  Fake run(std::move(entries));
  setUp(run);
  ConvertAll(run, run);
  return {run.saved.size(), run.seen, run.State()};
}
Result Converted(std::vector<std::string> entries, const std::map<std::string, SaveOutcome>& outcomes) {
  return Converted(std::move(entries), [&](Fake& f) { f.outcomes = outcomes; });
}
const std::vector<std::string> kAbc = {"a.doc", "b.doc", "c.doc"};
const std::string kIdle = "[bar 0 idle]";
const SaveOutcome kGone = SaveOutcome::NotInstalled("Class not registered");

TEST(ConversionRunTest, EachDocumentIsSavedUnderTheHourglassWithTheBarAtItsShareThenDoneThenReset) {
  Fake run(kAbc);
  run.duringSave = [](Fake& f) { f.target = TemplateTarget::kDotx; };  // the choice is read at each document
  ConvertAll(run, run);
  EXPECT_THAT(run.saved, ElementsAre("a.doc as dot [bar 333 busy]", "b.doc as dotx [bar 667 busy]",
                                     "c.doc as dotx [bar 1000 busy]"));
  EXPECT_THAT(run.seen, ElementsAre("[bar 1000 busy] Done."));
  EXPECT_EQ(run.settled, "[bar 1000 busy] after 0 messages");  // under the hourglass, before "Done."
  EXPECT_EQ(run.State(), kIdle);
}

TEST(ConversionRunTest, AnEmptyListOrADeclinedWarningConvertsNothingAndYesConvertsAll) {
  EXPECT_EQ(Converted({}, [](Fake& f) { f.running = true; }), (Result{0, {"[bar 0 busy] No files added."}, kIdle}));
  const std::string warning =
      "[bar 0 busy] ? Word may be open. It is recommended that you close Word first.\r\n\r\n"
      "Would you like to proceed anyway?";
  EXPECT_EQ(Converted({"a.doc", "b.doc"}, [](Fake& f) { f.running = true, f.answerYes = false; }),
            (Result{0, {warning}, kIdle}));
  EXPECT_EQ(Converted({"a.doc", "b.doc"}, [](Fake& f) { f.running = true; }),
            (Result{2, {warning, "[bar 1000 busy] Done."}, kIdle}));
}

TEST(ConversionRunTest, FailedDocumentsDoNotStopTheRunAndAreListedOnOneLineEach) {
  EXPECT_EQ(Converted({"a.doc", "bad.doc", "c.doc", "worse.docx", "blank.doc"},
                      {{"bad.doc", SaveOutcome::Failed("bad.doc is damaged")}, {"blank.doc", SaveOutcome::Failed(" \r\n")},
                       {"worse.docx", SaveOutcome::Failed("cannot open\r\nworse.docx\tat all \r\n")}}),
            (Result{5, {"[bar 1000 busy] Done.\r\n\r\n3 documents could not be converted:\r\nbad.doc: bad.doc is damaged\r\n"
                        "worse.docx: cannot open  worse.docx at all\r\nblank.doc: unknown reason"}, kIdle}));
}

TEST(ConversionRunTest, MissingWordProcessorIsSaidOnceNotPerDocument) {
  EXPECT_EQ(Converted(kAbc, {{"a.doc", SaveOutcome::NotInstalled("Invalid class string")}}),
            (Result{1, {"[bar 333 busy] Microsoft Word is not installed on this computer, so no document was converted."},
                    kIdle}));
  // Gone part way: the documents not tried are counted after "Done.", after any failure.
  EXPECT_EQ(Converted(kAbc, {{"a.doc", SaveOutcome::Failed("damaged")}, {"b.doc", kGone}}),
            (Result{2, {"[bar 667 busy] Done.\r\n\r\n1 document could not be converted:\r\na.doc: damaged\r\n\r\n"
                        "Microsoft Word could not be found, so the last 2 documents were not converted."}, kIdle}));
  EXPECT_EQ(Converted(kAbc, {{"c.doc", kGone}}),
            (Result{3, {"[bar 1000 busy] Done.\r\n\r\nMicrosoft Word could not be found, so the last document was "
                        "not converted."}, kIdle}));
}

TEST(ConversionRunTest, ClosingTheWindowStopsTheRunAtOnceAndShrinkingTheListIsNotReadPastItsEnd) {
  EXPECT_EQ(Converted({"a.doc", "b.doc"}, [](Fake& f) { f.duringSave = [](Fake& g) { g.closed = true; }; }),
            (Result{1, {}, "[bar 500 busy]"}));
  // While an open instance was looked for.
  EXPECT_EQ(Converted({"a.doc"}, [](Fake& f) { f.duringCheck = [](Fake& g) { g.closed = true; }; }),
            (Result{0, {}, "[bar 0 busy]"}));
  // While the closing message was shown: the window's bar and pointer are not touched again.
  EXPECT_EQ(Converted({"a.doc"}, [](Fake& f) { f.duringMessage = [](Fake& g) { g.closed = true; }; }),
            (Result{1, {"[bar 1000 busy] Done."}, "[bar 1000 busy]"}));
  EXPECT_EQ(Converted(kAbc, [](Fake& f) { f.duringSave = [](Fake& g) { g.entries.resize(2); }; }),
            (Result{2, {"[bar 1000 busy] Done."}, kIdle}));
}

TEST(ConversionRunTest, StoppingSaysWhatWasConvertedAndWhatWasNotTried) {
  // Esc while the third of five converts: its instance is ended and it counts as not tried.
  EXPECT_EQ(Converted({"a.doc", "bad.doc", "c.doc", "d.doc", "e.doc"},
                      {{"bad.doc", SaveOutcome::Failed("damaged")}, {"c.doc", SaveOutcome::Stopped()}}),
            (Result{3, {"[bar 600 busy] Stopped.\r\n\r\n1 document converted, 3 not tried.\r\n\r\n"
                        "1 document could not be converted:\r\nbad.doc: damaged"}, kIdle}));
  // Esc as a document finishes: it counts as converted, the rest as not tried.
  EXPECT_EQ(Converted(kAbc, [](Fake& f) { f.duringSave = [](Fake& g) { g.stop = g.saved.size() == 2; }; }),
            (Result{2, {"[bar 667 busy] Stopped.\r\n\r\n2 documents converted, 1 not tried."}, kIdle}));
  // Esc while an open instance is looked for: nothing is begun.
  EXPECT_EQ(Converted({"a.doc", "b.doc"}, [](Fake& f) { f.duringCheck = [](Fake& g) { g.stop = true; }; }),
            (Result{0, {"[bar 0 busy] Stopped.\r\n\r\n0 documents converted, 2 not tried."}, kIdle}));
}

// The report as "document template result reason" per row.
std::vector<std::string> Rows(const RunReport& report) {
  std::vector<std::string> rows;
  for (const ReportRow& r : report.rows) {
    rows.push_back(r.document + " " + r.templatePath + " " + ResultName(r.result) + (r.reason.empty() ? "" : " " + r.reason));
  }
  return rows;
}

TEST(ConversionRunTest, TheReportHasARowPerEntryAndEachTriedDocumentEndsAsItsRowIsMade) {
  Fake run({"a.doc", "new.doc", "gone.doc", "bad.doc", "e.doc", "f.doc"});
  run.checks["new.doc"] = {DocumentCheck::Verdict::kSkip, "its template is newer"};
  run.checks["gone.doc"] = {DocumentCheck::Verdict::kFail, "no such file"};
  run.outcomes["bad.doc"] = SaveOutcome::Failed("damaged\r\n");
  run.outcomes["e.doc"] = SaveOutcome::Stopped();
  run.outcomes["a.doc"] = SaveOutcome::Saved("left open");
  run.outcomes["a.doc"].macrosLost = true;
  const RunReport report = ConvertAll(run, run);
  EXPECT_THAT(run.toCome, ElementsAre(3, 2, 1));  // only documents that go to an instance count
  EXPECT_THAT(run.saved, ElementsAre("a.doc as dot [bar 167 busy]", "bad.doc as dot [bar 667 busy]",
                                     "e.doc as dot [bar 833 busy]"));
  EXPECT_THAT(Rows(report), ElementsAre("a.doc a.dot converted " + std::string(kMacrosNotKeptText) + " left open", "new.doc new.dot skipped its template is newer",
                                        "gone.doc gone.dot failed no such file", "bad.doc bad.dot failed damaged",
                                        "e.doc e.dot not tried The run was stopped before it was converted.",
                                        "f.doc f.dot not tried The run was stopped before it was converted."));
  EXPECT_THAT(run.ended, ElementsAre("0/6 converted", "1/6 skipped", "2/6 failed", "3/6 failed"));
  EXPECT_EQ(report.end, RunEnd::kStopped);
  EXPECT_EQ(Rows(run.keptReport), Rows(report));
  EXPECT_EQ(Rows(run.reported), Rows(report));  // the rows not tried included
  EXPECT_EQ(RunSummary(report), "1 converted, 2 failed, 1 skipped, 2 not tried.");

  Fake gone(kAbc);  // the word processor missing part way, and a window closed on the last document
  gone.outcomes["b.doc"] = kGone;
  EXPECT_EQ(ConvertAll(gone, gone).end, RunEnd::kNotInstalled);
  EXPECT_THAT(Rows(gone.keptReport), ElementsAre("a.doc a.dot converted",
      "b.doc b.dot not tried Microsoft Word could not be found: Class not registered",
      "c.doc c.dot not tried Microsoft Word could not be found: Class not registered"));
  Fake closed({"a.doc"});
  closed.duringSave = [](Fake& f) { f.closed = true; };
  EXPECT_EQ(ConvertAll(closed, closed).end, RunEnd::kClosed);
  EXPECT_THAT(closed.seen, ElementsAre());
  EXPECT_THAT(Rows(closed.keptReport), ElementsAre("a.doc a.dot converted"));
}

TEST(ConversionRunTest, ADocumentMakingATemplateAnEarlierOneMakesFailsWithoutAnInstanceAndAListingSaysSo) {
  const std::vector<std::string> letters = {"C:\\l\\letter.doc", "C:\\L\\LETTER.rtf", "C:\\l\\letter.doc",
                                            "C:\\l\\memo.doc"};
  const std::vector<std::string> expected = {
      "C:\\l\\letter.doc C:\\l\\letter.dot converted",
      "C:\\L\\LETTER.rtf C:\\L\\LETTER.dot failed Its template C:\\L\\LETTER.dot is made from C:\\l\\letter.doc in this "
      "run.",
      "C:\\l\\letter.doc C:\\l\\letter.dot converted",  // the same document again loses nothing
      "C:\\l\\memo.doc C:\\l\\memo.dot converted"};
  Fake listed(letters);
  EXPECT_EQ(Rows(PlanRun(listed)), expected);
  EXPECT_TRUE(listed.saved.empty() && listed.seen.empty() && listed.reported.rows.empty());
  Fake run(letters);
  EXPECT_EQ(Rows(ConvertAll(run, run)), expected);
  EXPECT_EQ(run.saved.size(), 3u);
  EXPECT_THAT(run.toCome, ElementsAre(2, 1, 0));
}

// Twenty failures are named, the rest counted.
TEST(ConversionRunTest, TheClosingMessageNamesTheReportOnlyWhenItCannotNameEveryFailure) {
  RunReport report;
  report.rows.assign(20, {"d.doc", "", DocumentResult::kFailed, "why"});
  EXPECT_THAT(ClosingMessage(report, {"C:\\r.csv", ""}), ::testing::EndsWith("d.doc: why"));
  report.rows.push_back({"e.doc", "", DocumentResult::kFailed, "why"});
  EXPECT_THAT(ClosingMessage(report, {"C:\\r.csv", ""}),
              ::testing::EndsWith("and 1 more.\r\n\r\nThe report of this run names every document: C:\\r.csv"));
  // Templates that lost their macros are counted right after "Done.", where they are named.
  RunReport lost;
  lost.rows.assign(2, {"m.docm", "", DocumentResult::kConverted, "", 0, true});
  EXPECT_EQ(ClosingMessage(lost, {"C:\\r.csv", ""}), "Done.\r\n\r\n2 templates lost their macros, which a .dotx "
                                                     "template cannot hold; the report of this run names them: C:\\r.csv");
  lost.rows.resize(1);
  EXPECT_EQ(ClosingMessage(lost, {"", "disk full"}), "Done.\r\n\r\n1 template lost its macros, which a .dotx template cannot hold.");
  report.end = RunEnd::kStopped;
  EXPECT_THAT(ClosingMessage(report, {"", "disk full\r\n"}),
              ::testing::EndsWith("and 1 more.\r\n\r\nThe report of this run could not be saved: disk full"));
  // One that could not be written to its end is always named.
  report.rows.resize(1);
  EXPECT_THAT(ClosingMessage(report, {"", "The report could not be written to C:\\r.csv: disk full", true}),
              ::testing::EndsWith("why\r\n\r\nThe report could not be written to C:\\r.csv: disk full Its later rows "
                                  "are missing."));
}

TEST(RunReportTest, TheJournalWritesEachRowAsItComesAndNothingAfterAFailedWrite) {
  std::string disk;
  bool full = false;
  ReportJournal journal("C:\\r.csv", [&](std::string_view bytes) {
    if (full) return std::string("disk full");
    disk += bytes;
    return std::string();
  }, true);
  const ReportRow a{"a.doc", "a.dot", DocumentResult::kConverted, "", 1};
  journal.Add(a);
  EXPECT_EQ(disk, ReportCsvHeader() + ReportCsvRow(a));
  full = true;
  journal.Add(a);
  full = false;
  journal.Add(a);  // a later row after a lost one would pass for a whole report
  EXPECT_EQ(disk, ReportCsvHeader() + ReportCsvRow(a));
  EXPECT_EQ(journal.Error(), "The report could not be written to C:\\r.csv: disk full");
}

TEST(RunReportTest, AReportReadsBackRowForRowLeavingOutARowCutShort) {
  RunReport report;
  report.rows = {{"C:\\a,b\\\"q\".doc", "C:\\a.dot", DocumentResult::kFailed, "line\r\nbreak", 0},
                 {"C:\\b.doc", "", DocumentResult::kNotTried, "", 0}, {"C:\\c.doc", "C:\\c.dot", DocumentResult::kSkipped, "x", 0}};
  const std::string csv = ReportCsv(report);
  for (const std::string& cut : {std::string(), std::string("C:\\d.doc,C:\\d.dot,conv"), std::string("\"C:\\d,\r\n")}) {
    const ReadReport read = ReadReportCsv(csv + cut);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(Rows({read.rows}), Rows(report));
    EXPECT_EQ(read.wholeBytes, csv.size());
  }
  EXPECT_EQ(ReadReportCsv("").wholeBytes, 0u);
  EXPECT_THAT(ReadReportCsv("document,template\r\n").error, ::testing::StartsWith("It is not a report of Quillory: "));
  EXPECT_EQ(ReadReportCsv(ReportCsvHeader() + ReportCsvRow(report.rows[2]) + "a,b,done,,1\r\n").error,
            "It is not a report of Quillory: its row 2 is not a row of one.");
}

TEST(RunReportTest, CsvHasABomAHeaderAndQuotesOnlyWhatNeedsIt) {
  RunReport report;
  report.rows = {{"C:\\a,b\\\"q\".doc", "C:\\a,b\\\"q\".dot", DocumentResult::kFailed, "line\r\nbreak", 1.23456},
                 {"C:\\R\xC3\xA9sum\xC3\xA9.doc", "C:\\R\xC3\xA9sum\xC3\xA9.dot", DocumentResult::kConverted, "", 0.5}};
  EXPECT_EQ(ReportCsv(report),
            "\xEF\xBB\xBF" "document,template,result,reason,seconds\r\n"
            "\"C:\\a,b\\\"\"q\"\".doc\",\"C:\\a,b\\\"\"q\"\".dot\",failed,\"line\r\nbreak\",1.235\r\n"
            "C:\\R\xC3\xA9sum\xC3\xA9.doc,C:\\R\xC3\xA9sum\xC3\xA9.dot,converted,,0.500\r\n");
}

}  // namespace
}  // namespace quillory
