// The folder walk on a large tree: Quillory's own walk and listing against a bare
// enumeration of the same tree in the same run, and how long a message posted to the window
// waited while the walk ran. Prints the figures.
//   bench_folder_walk [files] [folders]   (default 100000 files in 10000 folders)
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "adding/add_folder_press_win.h"
#include "adding/directory_lister_win.h"
#include "adding/folder_walk.h"
#include "platform/message_pump.h"
#include "app/main_window.h"
#include "common/utf_win.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

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

// Notes when the walk turns from gathering folders to listing their files.
class TimedLister : public quillory::DirectoryLister {
 public:
  std::unique_ptr<quillory::FolderListing> Open(const std::string& folder) override { return real_.Open(folder); }
  std::string Identity(const std::string& folder) override { return real_.Identity(folder); }
  std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& pattern) override {
    if (listingStarted.load() == Clock::time_point{}) listingStarted = Clock::now();
    return real_.MatchingFiles(folder, pattern);
  }
  std::atomic<Clock::time_point> listingStarted{Clock::time_point{}};

 private:
  quillory::WindowsDirectoryLister real_;
};

// Posts a message to a window of the UI thread, waits until it has run, and again, noting
// how long each waited.
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
  // The samples, each with the time it was handled.
  struct Sample {
    Clock::time_point handled;
    Clock::duration waited;
  };
  std::vector<Sample> Stop() {
    stop_ = true;
    thread_.join();
    Pump();
    return samples_;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Latency*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg != WM_APP || !self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const Clock::time_point now = Clock::now();
    self->samples_.push_back({now, now - self->posted_.load()});
    SetEvent(self->handled_);
    return 0;
  }
  HWND hwnd_ = nullptr;
  HANDLE handled_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<Clock::time_point> posted_{};
  std::vector<Sample> samples_;
};

}  // namespace

int main(int argc, char** argv) {
  const size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const size_t folders = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
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
  Pump();

  // Warm the file system's caches, then alternate the two so neither is favoured; the best
  // of five rounds each, as other work on the machine only ever adds time.
  const size_t entries = BareEnumeration(root);
  double bare = 1e30, walkAll = 1e30, walkDoc = 1e30;
  size_t docMatches = 0, allMatches = 0;
  for (int round = 0; round < 5; ++round) {
    auto start = Clock::now();
    BareEnumeration(root);
    bare = std::min(bare, Ms(Clock::now() - start));

    for (const char* extension : {"doc", "*"}) {
      quillory::WindowsDirectoryLister lister;
      quillory::PendingMessages pendingMessages(form->Hwnd(), [&] { return form->Closed(); });
      start = Clock::now();
      auto found = quillory::GatherFolderEntries(quillory::Narrow(root), extension, lister, [&] { return pendingMessages(); });
      const double ms = Ms(Clock::now() - start);
      if (std::string(extension) == "doc") {
        walkDoc = std::min(walkDoc, ms);
        docMatches = found ? found->size() : 0;
      } else {
        walkAll = std::min(walkAll, ms);
        allMatches = found ? found->size() : 0;
      }
    }
  }

  // The whole press from the chosen folder on, with a message posted to the window again
  // and again: how long each waited.
  Latency latency;
  TimedLister timed;
  quillory::PendingMessages pendingMessages(form->Hwnd(), [&] { return form->Closed(); });
  latency.Start();
  Sleep(20);
  const auto pressStart = Clock::now();
  auto found = quillory::GatherFolderEntries(quillory::Narrow(root), "*", timed, [&] { return pendingMessages(); });
  const auto listingStart = timed.listingStarted.load();
  const auto appendStart = Clock::now();
  form->AppendEntries(std::move(*found));
  const auto pressEnd = Clock::now();
  const std::vector<Latency::Sample> samples = latency.Stop();
  Clock::duration walkWait{}, listingWait{};
  size_t walkSamples = 0;
  for (const Latency::Sample& sample : samples) {
    if (sample.handled < pressStart) continue;
    if (sample.handled <= listingStart) {
      walkWait = std::max(walkWait, sample.waited);
      ++walkSamples;
    } else {
      listingWait = std::max(listingWait, sample.waited);
    }
  }

  std::printf("tree: %zu files in %zu folders (%zu entries listed by the bare enumeration)\n", files, folders, entries);
  std::printf("bare FindFirstFileExW enumeration:        %8.1f ms\n", bare);
  std::printf("Quillory walk + listing, \"doc\" (%6zu):  %8.1f ms  ratio %.2f\n", docMatches, walkDoc, walkDoc / bare);
  std::printf("Quillory walk + listing, \"*\"   (%6zu):  %8.1f ms  ratio %.2f\n", allMatches, walkAll, walkAll / bare);
  std::printf("press from the chosen folder, \"*\": walk %.1f ms, listing %.1f ms, append %.1f ms (%zu entries in the list)\n",
              Ms(listingStart - pressStart), Ms(appendStart - listingStart), Ms(pressEnd - appendStart),
              form->Files().Count());
  std::printf("longest wait of a posted message during the walk: %.1f ms (%zu messages ran)\n", Ms(walkWait), walkSamples);
  std::printf("longest wait during the listing (it lets no message run): %.1f ms\n", Ms(listingWait));
  return 0;
}
