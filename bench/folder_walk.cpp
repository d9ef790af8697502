// The folder press on a large tree, from the chosen folder on, as a user's press runs it: the
// walk, the matching and the append to the real window's list. Against it, in the same run,
// a bare FindFirstFileExW enumeration of the same tree; and all along each press a message is
// posted to the window again and again, noting how long each waited. Last, the press's
// entries are checked against the platform's own search, folder by folder. Prints the figures.
//   bench_folder_walk [files] [folders] [rounds]   (default 100000 files in 10000 folders, 5)
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "adding/add_folder_press_win.h"
#include "app/main_window.h"
#include "common/utf_win.h"
#include "figures.h"
#include "bench_tree.h"
#include "support/platform_search.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;

// Posts a message to a window of the UI thread, waits until it has run, and again, noting
// the longest wait.
class Latency {
 public:
  Latency() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuilloryBenchProbe";
    RegisterClassW(&windowClass);
    hwnd_ = CreateWindowW(L"QuilloryBenchProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    handled_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  }
  void Start() {
    stop_ = false;
    thread_ = std::thread([this] {
      while (!stop_) {
        posted_ = Clock::now();
        PostMessageW(hwnd_, WM_APP, 0, 0);
        while (WaitForSingleObject(handled_, 50) == WAIT_TIMEOUT && !stop_) {
        }
        Sleep(1);
      }
    });
  }
  void Stop() {
    stop_ = true;
    thread_.join();
    quillory::test::PumpPending();
  }
  Clock::duration longest{};
  Clock::time_point longestAt{};
  size_t samples = 0;
  Clock::time_point until = Clock::time_point::max();  // messages handled later are not counted

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Latency*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg != WM_APP || !self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const Clock::time_point now = Clock::now();
    if (now <= self->until && now - self->posted_.load() > self->longest) {
      self->longest = now - self->posted_.load();
      self->longestAt = now;
    }
    self->samples += now <= self->until;
    SetEvent(self->handled_);
    return 0;
  }
  HWND hwnd_ = nullptr;
  HANDLE handled_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<Clock::time_point> posted_{};
};

}  // namespace

int main(int argc, char** argv) {
  const size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const size_t folders = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  OleInitialize(nullptr);
  const std::wstring root = L"C:\\quillory-bench-walk-" + std::to_wstring(files) + L"-" + std::to_wstring(folders);
  if (!bench::MakeTree(root, files, folders, {L".doc", L".docx", L".txt"})) {
    std::printf("could not make the tree\n");
    return 1;
  }

  quillory::Form1Options options;
  options.homePage.draw = [](float) { return 0.5f; };
  options.homePage.launch = [](const std::string&) {};
  auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
  quillory::test::PumpPending();

  // Warm the file system's caches, then alternate the two so neither is favoured.
  const size_t entries = bench::BareEnumeration(root);
  std::vector<double> bare, press;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    bench::BareEnumeration(root);
    bare.push_back(Ms(Clock::now() - start));

    start = Clock::now();
    quillory::AddFolderTree(*form, root, L"doc");
    press.push_back(Ms(Clock::now() - start));
  }
  // One more press with a message posted to the window all along (the posting costs the
  // machine time of its own, so this press is not among the timed ones).
  Latency latency;
  latency.Start();
  auto start = Clock::now();
  quillory::AddFolderTree(*form, root, L"doc");
  latency.until = Clock::now();
  const double probedPress = Ms(latency.until - start);
  latency.Stop();

  const std::vector<std::string> platform = quillory::test::PlatformSearch(root, L"doc");
  const std::vector<std::string>& listed = form->Files().Entries();
  const bool same = listed.size() == platform.size() * static_cast<size_t>(rounds + 1) &&
                    std::equal(platform.begin(), platform.end(), listed.end() - static_cast<long>(platform.size()));

  std::printf("tree: %zu files in %zu folders (%zu entries listed by the bare enumeration), %d rounds\n", files,
              folders, entries, rounds);
  std::printf("bare FindFirstFileExW enumeration: best %8.1f ms, median %8.1f ms\n",
              *std::min_element(bare.begin(), bare.end()), Median(bare));
  std::printf("folder press, \"doc\":               best %8.1f ms, median %8.1f ms\n",
              *std::min_element(press.begin(), press.end()), Median(press));
  std::printf("ratio to the bare enumeration: best %.2f, median %.2f\n",
              *std::min_element(press.begin(), press.end()) / *std::min_element(bare.begin(), bare.end()),
              Median(press) / Median(bare));
  std::printf("longest wait of a message posted to the window during a press: %.1f ms, ended %.0f ms into the "
              "press (%zu messages ran in %.1f ms)\n",
              Ms(latency.longest), Ms(latency.longestAt - start), latency.samples, probedPress);
  std::printf("entries and their order as the platform's own search, folder by folder: %s (%zu)\n",
              same ? "same" : "DIFFERENT", platform.size());
  return same ? 0 : 1;
}
