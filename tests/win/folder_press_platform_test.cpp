// The folder press on the real file system against the platform's own search: the same entries
// in the same order, while the window answers at every moment of the walk, and a close in the
// middle of a large tree ends it with nothing added.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "adding/add_folder_press_win.h"
#include "adding/directory_lister_win.h"
#include "common/utf_win.h"
#include "support/form_fixture.h"
#include "support/platform_search.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
constexpr UINT kHold = WM_APP + 11;
constexpr UINT kPing = WM_APP + 12;

// The real file system, the walk held at chosen folders (by the order they open, from 1) and at
// one entry of one folder's listing, each time until the window has answered a message posted
// then. Runs on the walk's thread.
class HeldLister : public DirectoryLister {
 public:
  HeldLister(HWND probe, std::set<int> holdAtOpen, int holdInListing)
      : probe_(probe), holdAtOpen_(std::move(holdAtOpen)), holdInListing_(holdInListing),
        answered_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  ~HeldLister() override { CloseHandle(answered_); }

  std::unique_ptr<FolderListing> Open(const std::string& folder) override {
    const int order = ++opened;
    if (holdAtOpen_.count(order)) Hold();
    std::unique_ptr<FolderListing> listing = real_.Open(folder);
    if (!listing || order != holdInListing_) return listing;
    return std::make_unique<HeldListing>(std::move(listing), *this);
  }
  std::string Identity(const std::string& folder) override { return real_.Identity(folder); }
  UpcaseChar Upcase() const override { return real_.Upcase(); }

  // The window's answer to the hold numbered `hold`.
  void Answered(WPARAM hold) {
    answeredHold_ = static_cast<int>(hold);
    SetEvent(answered_);
  }
  std::atomic<int> opened{0}, held{0}, unanswered{0};

 private:
  struct HeldListing : FolderListing {
    HeldListing(std::unique_ptr<FolderListing> real, HeldLister& lister) : real(std::move(real)), lister(lister) {}
    bool Next(FolderEntry& entry) override {
      if (++read == 3) lister.Hold();
      return real->Next(entry);
    }
    std::unique_ptr<FolderListing> real;
    HeldLister& lister;
    int read = 0;
  };
  void Hold() {
    const int hold = ++holds_;
    PostMessageW(probe_, kHold, static_cast<WPARAM>(hold), 0);
    // A window that does not answer would keep the walk here: only a deadline ends it then.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (answeredHold_ != hold && std::chrono::steady_clock::now() < deadline) WaitForSingleObject(answered_, 100);
    ++(answeredHold_ == hold ? held : unanswered);
  }

  WindowsDirectoryLister real_;
  HWND probe_;
  std::set<int> holdAtOpen_;
  int holdInListing_;
  HANDLE answered_;
  int holds_ = 0;
  std::atomic<int> answeredHold_{0};
};

class FolderPressOnDisk : public FormTest {
 protected:
  ~FolderPressOnDisk() override { CloseHandle(pinged); }

  HANDLE pinged = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::atomic<std::chrono::steady_clock::time_point> pingPosted{};
  std::chrono::steady_clock::duration longestPingWait{};
  HeldLister* lister = nullptr;
  std::function<void()> onHold;
  ProbeWindow probe{[this](UINT msg, WPARAM hold) {
    if (msg == kPing) {
      longestPingWait = std::max(longestPingWait, std::chrono::steady_clock::now() - pingPosted.load());
      SetEvent(pinged);
      return;
    }
    if (onHold) onHold();
    lister->Answered(hold);
  }};
  TempFolder temp;
};

TEST_F(FolderPressOnDisk, EachExtensionFindsWhatThePlatformsSearchFindsInItsOrder) {
  for (const wchar_t* name :
       {L"T\\a.doc", L"T\\B.DOC", L"T\\c.docx", L"T\\q.docm", L"T\\w.dot", L"T\\long name.doc", L"T\\x.txt.doc",
        L"T\\two..doc", L"T\\..doc", L"T\\~$a.doc", L"T\\noext", L"T\\Résumé.dóc", L"T\\verylongfilename.doc",
        L"T\\folder.doc\\in.doc", L"T\\Sub\\d.doc", L"T\\Sub\\Deep\\e.DOCX", L"T\\Hidden\\h.doc",
        L"T\\System\\s.doc", L"T\\Sub\\secret.doc"}) {
    temp.Write(name);
  }
  ASSERT_TRUE(SetFileAttributesW(temp.File(L"T\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN) &&
              SetFileAttributesW(temp.File(L"T\\System").c_str(), FILE_ATTRIBUTE_SYSTEM) &&
              SetFileAttributesW(temp.File(L"T\\Sub\\secret.doc").c_str(), FILE_ATTRIBUTE_HIDDEN));
  // Wine 8 reads "?" and a final dot as plain wildcards where Windows reads them as DOS ones
  // (tests/core pins Windows' reading); these extensions read alike on both.
  for (const wchar_t* extension : {L"doc", L"DOC", L"*", L".doc", L"docx", L"d*", L"dÓc", L"*.*"}) {
    SCOPED_TRACE(Narrow(extension));
    const Paths platform = PlatformSearch(temp.File(L"T"), extension);
    const size_t before = form->Files().Count();
    AddFolderTree(*form, temp.File(L"T"), extension);
    EXPECT_EQ(Paths(form->Files().Entries().begin() + static_cast<long>(before), form->Files().Entries().end()),
              platform);
  }
  // Hidden and system files are more than the temporary folder's clean-up takes away.
  RunUnix("rm -rf T", temp.Path(), [&] { return !FileExists(temp.File(L"T")); });
}

TEST_F(FolderPressOnDisk, TheWindowAnswersAtEveryMomentOfAPressOverALargeTreeAndACloseEndsItWithNothingAdded) {
  // 1 + 30 + 3,000 folders, a file in each of the deepest (in place of any left by an earlier run
  // under the same temporary name).
  DeleteFileW(temp.File(L"made").c_str());
  const std::string tree =
      "rm -rf T && mkdir -p T/L{10..39}/M{100..199} && touch T/L{10..39}/M{100..199}/f.doc && touch made";
  ASSERT_TRUE(RunUnix(tree, temp.Path(), [&] { return FileExists(temp.File(L"made")); }));
  const std::wstring root = temp.File(L"T");
  const Paths platform = PlatformSearch(root, L"doc");
  ASSERT_EQ(platform.size(), 3000u);

  // All along the press, a message is posted again and again; none may wait long.
  std::atomic<bool> pressing{true}, pingerEnded{false};
  std::thread pinger([&] {
    while (pressing) {
      pingPosted = std::chrono::steady_clock::now();
      PostMessageW(probe.Hwnd(), kPing, 0, 0);
      WaitForSingleObject(pinged, 30000);
      Sleep(2);
    }
    pingerEnded = true;
  });
  // Held at the first folder, in the middle of a listing, half-way and at the last folder.
  HeldLister held(probe.Hwnd(), {1, 1500, 3031}, 2000);
  lister = &held;
  AddFolderTree(*form, root, L"doc", held);
  const auto longestWait = longestPingWait;
  pressing = false;
  PumpUntil([&] { return pingerEnded.load(); });
  pinger.join();
  EXPECT_EQ(held.held.load(), 4);
  EXPECT_EQ(held.unanswered.load(), 0);
  EXPECT_LT(longestWait, std::chrono::seconds(5));  // generous: the figure itself is the benchmark's
  EXPECT_EQ(form->Files().Entries(), platform);

  // Closed while the walk is held half-way: it ends before the tree does and adds nothing.
  HeldLister closing(probe.Hwnd(), {1500}, 0);
  lister = &closing;
  onHold = [&] { SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0); };
  AddFolderTree(*form, root, L"doc", closing);
  EXPECT_TRUE(form->Closed());
  EXPECT_LT(closing.opened.load(), 3031);
  RunUnix("rm -rf T made", temp.Path(), [&] { return !FileExists(root); });
  EXPECT_EQ(form->Files().Count(), platform.size());
}

}  // namespace
}  // namespace quillory::test
