// The conversion run against the stand-in automation server: per-document time of
// Quillory's run (the run's sequence, each document on a thread of its own while the window's
// messages run) against a bare loop of the same automation calls made directly through
// IDispatch, alternating in the same process; the longest a window of the run's thread took to
// answer a message meanwhile; what a document that hangs costs past its limit; and the
// process's memory after 10 documents against after 200.
//   bench_conversion_run [documents=200] [rounds=3] [block=10]
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/word_automation_win.h"
#include "common/utf_win.h"
#include "bare_automation.h"

namespace {

using namespace quillory;
using Clock = std::chrono::steady_clock;
using bench::BareDocument;
using bench::Call;
using bench::FixtureFolder;

// The run's view of a window that shows nothing.
class QuietView final : public RunView {
 public:
  explicit QuietView(std::vector<std::string> entries) : entries_(std::move(entries)) {}
  size_t EntryCount() const override { return entries_.size(); }
  std::string EntryText(size_t index) const override { return entries_.at(index); }
  void SetProgress(double) override {}
  TemplateTarget Target() const override { return TemplateTarget::kDot; }
  bool Closed() const override { return false; }
  bool StopRequested() const override { return false; }
  void ShowInformation(const std::string& text) override { last = text; }
  bool AskYesNo(const std::string&) override { return true; }
  std::string last;

 private:
  std::vector<std::string> entries_;
};


struct Memory {
  double heapKiB;        // bytes in use in every heap of the process
  double workingSetMiB;
  double pagefileMiB;
};

Memory Measure() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  HANDLE heaps[64];
  const DWORD heapCount = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
  double used = 0;
  for (DWORD i = 0; i < heapCount; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += entry.cbData;
    }
    HeapUnlock(heaps[i]);
  }
  return {used / 1024.0, counters.WorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

// Sends a message to `window` again and again from a thread of its own; the longest wait.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window) : window_(window), thread_([this] { Run(); }) {}
  ~AnswerWatch() {
    stop_ = true;
    thread_.join();
  }
  double LongestMs() const { return longest_; }

 private:
  void Run() {
    while (!stop_) {
      const auto start = Clock::now();
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
      longest_ = std::max(longest_.load(), std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      Sleep(5);
    }
  }
  HWND window_;
  std::atomic<bool> stop_{false};
  std::atomic<double> longest_{0};
  std::thread thread_;
};

// The run's automation with the time each document began and ended.
class TimedAutomation final : public Automation {
 public:
  explicit TimedAutomation(Automation& real) : real_(real) {}
  bool IsWordRunning() override { return real_.IsWordRunning(); }
  SaveOutcome SaveDocAsTemplate(const std::string& path, const std::string& templatePath,
                                TemplateTarget target) override {
    begun.push_back(Clock::now());
    SaveOutcome outcome = real_.SaveDocAsTemplate(path, templatePath, target);
    ended.push_back(Clock::now());
    return outcome;
  }
  std::vector<Clock::time_point> begun, ended;

 private:
  Automation& real_;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int total = argc > 1 ? std::atoi(argv[1]) : 200;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const int block = argc > 3 ? std::atoi(argv[3]) : 10;
  if (FAILED(OleInitialize(nullptr))) return 1;
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", nullptr);

  const std::wstring document = bench::BenchDocument(L"bench");
  const std::wstring folder = document.substr(0, document.rfind(L'\\'));
  if (document.empty()) {
    std::printf("cannot copy the fixture letter.doc\n");
    return 1;
  }
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(kWordProgId, &clsid))) {
    std::printf("Word.Application is not registered (run tools/wine-prefix)\n");
    return 1;
  }
  BSTR documentB = SysAllocString(document.c_str());
  BSTR templB = SysAllocString((folder + L"\\letter.dot").c_str());
  BSTR emptyB = SysAllocString(L"");
  BSTR passwordB = SysAllocString(kNoDocumentPassword);
  const std::vector<std::string> oneBlock(block, Narrow(document));
  // A window of the run's thread: the run's wait must keep answering it.
  HWND window = CreateWindowW(L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  // Each document on its own thread with the window's wait, as a press runs it.
  WordAutomation automation([] { return false; }, WaitAnsweringWindow(window), kDefaultTimeLimit);
  double longestAnswer = 0;

  // Alternating blocks, so that a slower moment of the machine falls on both alike.
  std::vector<double> bare, quillory;
  for (int r = 0; r < rounds; ++r) {
    auto start = Clock::now();
    for (int i = 0; i < block; ++i) {
      if (!BareDocument(clsid, documentB, templB, emptyB, passwordB)) std::printf("bare loop: a document failed\n");
    }
    bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() / block);
    QuietView view(oneBlock);
    start = Clock::now();
    {
      AnswerWatch watch(window);
      ConvertAll(view, automation);
      longestAnswer = std::max(longestAnswer, watch.LongestMs());
    }
    quillory.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() / block);
    if (view.last != "Done.") std::printf("run: %s\n", view.last.c_str());
  }
  std::printf("per document, median of %d rounds of %d: bare loop %.1f ms, Quillory's run %.1f ms, ratio %.3f\n",
              rounds, block, Median(bare), Median(quillory), Median(quillory) / Median(bare));
  std::printf("longest a window of the run's thread took to answer during those runs: %.1f ms\n", longestAnswer);

  // A document whose Open never returns, then a good one, with a limit of 2 s: how long past
  // the limit the hanging one held the run, and what starting the next instance costs.
  {
    const DWORD limitSeconds = 2;
    const std::wstring hanging = folder + L"\\hang.doc";
    CopyFileW(document.c_str(), hanging.c_str(), FALSE);
    const wchar_t* standinKey = L"Software\\Quillory\\Standin";
    RegSetKeyValueW(HKEY_CURRENT_USER, standinKey, L"HangInOpen", REG_SZ, L"hang*", 12);
    WordAutomation limited([] { return false; }, WaitAnsweringWindow(window), std::chrono::seconds(limitSeconds));
    TimedAutomation timed(limited);
    QuietView view({Narrow(hanging), Narrow(document)});
    ConvertAll(view, timed);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, standinKey, L"HangInOpen");
    DeleteFileW(hanging.c_str());
    const auto start = Clock::now();
    IDispatch* app = nullptr;
    if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app)))) {
      Call(app, L"Quit", DISPATCH_METHOD, {}, {}, nullptr);
      app->Release();
    }
    const double startMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (timed.ended.size() == 2) {
      const double pastLimit =
          std::chrono::duration<double, std::milli>(timed.ended[0] - timed.begun[0]).count() - limitSeconds * 1000.0;
      std::printf("a hanging document: the run went on %.0f ms after its limit; a new instance starts in %.0f ms; "
                  "from the limit to the next instance %.0f ms (%s)\n",
                  pastLimit, startMs, pastLimit + startMs, view.last.substr(0, view.last.find("\r\n\r\n", 8)).c_str());
    }
  }

  // Memory of Quillory's runs: after 10 documents and after `total`.
  auto runDocuments = [&](int n) {
    QuietView view(std::vector<std::string>(n, Narrow(document)));
    ConvertAll(view, automation);
    if (view.last != "Done.") std::printf("run: %s\n", view.last.c_str());
  };
  runDocuments(10);
  const Memory at10 = Measure();
  runDocuments(total - 10);
  const Memory atTotal = Measure();
  std::printf("memory after 10 documents: heap in use %.1f KiB, working set %.2f MiB, pagefile %.2f MiB\n",
              at10.heapKiB, at10.workingSetMiB, at10.pagefileMiB);
  std::printf("memory after %d documents: heap in use %.1f KiB, working set %.2f MiB, pagefile %.2f MiB\n",
              total, atTotal.heapKiB, atTotal.workingSetMiB, atTotal.pagefileMiB);
  std::printf("growth from 10 to %d documents: heap %+.1f KiB, working set %+.2f MiB\n", total,
              atTotal.heapKiB - at10.heapKiB, atTotal.workingSetMiB - at10.workingSetMiB);

  SysFreeString(documentB);
  SysFreeString(templB);
  SysFreeString(emptyB);
  SysFreeString(passwordB);
  DestroyWindow(window);
  DeleteFileW(document.c_str());
  DeleteFileW((folder + L"\\letter.dot").c_str());
  RemoveDirectoryW(folder.c_str());
  OleUninitialize();
  return 0;
}
