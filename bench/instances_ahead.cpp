// Instances started ahead, through the window against the stand-in automation server: a run of
// N documents pressed through "Save As Dot" at each depth of InstancesAhead, its documents per
// minute as a ratio to depth 0 in the same process, and the peak working set of all the
// stand-in's processes together while it ran.
//   bench_instances_ahead [documents=200] [depths=0,1,2,4,8]
#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/run_settings.h"
#include "bare_automation.h"
#include "common/utf_win.h"
#include "conversion/word_automation_win.h"
#include "figures.h"
#include "support/dialog_watcher.h"

namespace {

using bench::Clock;

// The stand-in's processes now, by id.
std::vector<DWORD> StandinProcesses() {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"QuilloryStandin.exe") == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

// Samples the working sets of the stand-in's processes together until destroyed; the highest.
class PeakWorkingSet {
 public:
  PeakWorkingSet() : thread_([this] { Run(); }) {}
  ~PeakWorkingSet() {
    stop_ = true;
    thread_.join();
  }
  double PeakMiB() const { return peak_ / 1048576.0; }
  size_t MostProcesses() const { return most_; }

 private:
  void Run() {
    while (!stop_) {
      size_t total = 0;
      const std::vector<DWORD> ids = StandinProcesses();
      for (DWORD id : ids) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, id);
        if (!process) continue;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process, &counters, sizeof counters)) total += counters.WorkingSetSize;
        CloseHandle(process);
      }
      peak_ = std::max<size_t>(peak_, total);
      most_ = std::max(most_.load(), ids.size());
      Sleep(20);
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<size_t> peak_{0}, most_{0};
  std::thread thread_;
};

struct Figures {
  double seconds = 0;
  double peakMiB = 0;
  size_t mostProcesses = 0;
  std::wstring message;
};

Figures RunThroughTheWindow(const std::string& document, int count, DWORD depth) {
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillory", quillory::kInstancesAheadSetting, REG_DWORD, &depth,
                  sizeof depth);
  quillory::Form1Options options;
  options.homePage.draw = [](float) { return 0.5f; };
  auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
  form->AppendEntries(std::vector<std::string>(count, document));
  quillory::test::PumpPending();
  Figures figures;
  quillory::test::DialogWatcher watcher([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  {
    PeakWorkingSet peak;
    const auto start = Clock::now();
    SendMessageW(form->Control(quillory::IDC_CHECK2), BM_CLICK, 0, 0);
    figures.seconds = bench::MsSince(start) / 1000.0;
    figures.peakMiB = peak.PeakMiB();
    figures.mostProcesses = peak.MostProcesses();
  }
  watcher.Stop();
  const auto seen = watcher.Seen();
  figures.message = seen.empty() ? L"(no message)" : seen.back().text;
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillory", quillory::kInstancesAheadSetting);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 200;
  std::vector<DWORD> depths = {0, 1, 2, 4, 8};
  if (argc > 2) {
    depths.clear();
    for (const char* p = argv[2]; *p;) {
      char* end = nullptr;
      depths.push_back(std::strtoul(p, &end, 10));
      p = *end ? end + 1 : end;
    }
  }
  if (FAILED(OleInitialize(nullptr))) return 1;
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", nullptr);
  const std::wstring document = bench::BenchDocument(L"ahead-bench");
  const std::wstring folder = document.substr(0, document.rfind(L'\\'));
  if (document.empty()) {
    std::printf("cannot copy the fixture letter.doc\n");
    return 1;
  }
  double baseline = 0;
  int status = 0;
  for (DWORD depth : depths) {
    const Figures f = RunThroughTheWindow(quillory::Narrow(document), count, depth);
    const double perMinute = count / f.seconds * 60.0;
    if (depth == depths.front()) baseline = perMinute;
    const bool done = f.message == L"Done.";
    std::printf("depth %u: %d documents in %.1f s, %.0f a minute, %.2f times depth %u; peak working set of the "
                "instances %.1f MiB (%zu processes at most)%s\n",
                static_cast<unsigned>(depth), count, f.seconds, perMinute, perMinute / baseline,
                static_cast<unsigned>(depths.front()), f.peakMiB, f.mostProcesses, done ? "" : "  NOT DONE");
    if (!done) {
      std::printf("   the run said: %s\n", quillory::Narrow(f.message).substr(0, 300).c_str());
      status = 1;
    }
    // Nothing is left running once a run is over.
    for (int i = 0; i < 100 && !StandinProcesses().empty(); ++i) Sleep(100);
    if (!StandinProcesses().empty()) std::printf("   %zu stand-in processes still running\n", StandinProcesses().size());
  }
  DeleteFileW(document.c_str());
  DeleteFileW((folder + L"\\letter.dot").c_str());
  RemoveDirectoryW(folder.c_str());
  OleUninitialize();
  return status;
}
