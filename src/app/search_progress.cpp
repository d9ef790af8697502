#include "app/search_progress.h"

namespace quillory {
namespace {

constexpr std::chrono::seconds kEvery{1};

class CountingListing final : public FolderListing {
 public:
  CountingListing(std::unique_ptr<FolderListing> listing, SearchProgress& progress)
      : listing_(std::move(listing)), progress_(progress) {}
  bool Next(FolderEntry& entry) override {
    if (!listing_->Next(entry)) return false;
    progress_.Saw(entry);
    return true;
  }

 private:
  std::unique_ptr<FolderListing> listing_;
  SearchProgress& progress_;
};

}  // namespace

SearchProgress::SearchProgress(DirectoryLister& lister, const std::string& extension, ConsoleOutput& err)
    : lister_(lister), pattern_("*." + extension, lister.Upcase()), err_(err),
      next_(std::chrono::steady_clock::now() + kEvery) {}

SearchProgress::~SearchProgress() {
  if (shown_) err_.Status("");
}

std::unique_ptr<FolderListing> SearchProgress::Open(const std::string& folder) {
  std::unique_ptr<FolderListing> listing = lister_.Open(folder);
  if (!listing) return nullptr;
  return std::make_unique<CountingListing>(std::move(listing), *this);
}

void SearchProgress::Saw(const FolderEntry& entry) {
  // As the walk takes them: files only, never the word processor's own "~" files.
  if (!entry.folder && !entry.name.empty() && entry.name.front() != '~' &&
      pattern_.Finds(entry.name, entry.shortName)) {
    ++found_;
  }
  if ((++seen_ & 63) != 0) return;  // the clock is read now and then, not at every entry
  const auto now = std::chrono::steady_clock::now();
  if (now < next_) return;
  next_ = now + kEvery;
  shown_ = true;
  err_.Status("Searching: " + std::to_string(found_) + (found_ == 1 ? " document" : " documents") + " found so far...");
}

}  // namespace quillory
