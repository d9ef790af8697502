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
#include "support/platform_search.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;

// 100 folders of 99 subfolders each for 10,000 folders, the files spread evenly: ".doc",
// ".docx" and ".txt" in turn.
bool MakeTree(const std::wstring& root, size_t files, size_t folders) {
  const std::wstring marker = root + L".made";  // beside the tree, not in it
  if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::printf("making the tree (once): %zu files in %zu folders...\n", files, folders);
  std::fflush(stdout);
  CreateDirectoryW(root.c_str(), nullptr);
  const size_t top = std::max<size_t>(1, folders / 100);
  std::vector<std::wstring> all;
  for (size_t i = 0; i < top && all.size() < folders; ++i) {
    const std::wstring parent = root + L"\\d" + std::to_wstring(1000 + i);
    CreateDirectoryW(parent.c_str(), nullptr);
    all.push_back(parent);
  }
  for (size_t i = 0; all.size() < folders; ++i) {
    const std::wstring child = all[i % top] + L"\\s" + std::to_wstring(1000 + i / top);
    CreateDirectoryW(child.c_str(), nullptr);
    all.push_back(child);
  }
  const wchar_t* extensions[] = {L".doc", L".docx", L".txt"};
  for (size_t i = 0; i < files; ++i) {
    const std::wstring path = all[i % all.size()] + L"\\file" + std::to_wstring(100000 + i) + extensions[i % 3];
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  return true;
}

// The bare enumeration: every folder listed once with FindFirstFileExW, nothing done per entry
// beyond going into folders.
size_t BareEnumeration(const std::wstring& folder) {
  size_t entries = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    const std::wstring current = std::move(pending.back());
    pending.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((current + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      ++entries;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != L'.') {
        pending.push_back(current + L"\\" + data.cFileName);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return entries;
}

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
  if (!MakeTree(root, files, folders)) {
    std::printf("could not make the tree\n");
    return 1;
  }

  quillory::Form1Options options;
  options.homePage.draw = [](float) { return 0.5f; };
  options.homePage.launch = [](const std::string&) {};
  auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
  quillory::test::PumpPending();

  // Warm the file system's caches, then alternate the two so neither is favoured.
  const size_t entries = BareEnumeration(root);
  std::vector<double> bare, press;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    BareEnumeration(root);
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
