#include "filelist/file_list.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace quillory {

void FileList::AppendAll(std::vector<std::string> paths) {
  if (entries_.empty()) {
    entries_ = std::move(paths);
    return;
  }
  entries_.insert(entries_.end(), std::make_move_iterator(paths.begin()),
                  std::make_move_iterator(paths.end()));
}

void FileList::Exchange(size_t a, size_t b) { std::swap(entries_.at(a), entries_.at(b)); }

void FileList::Move(size_t from, size_t to) {
  const auto at = [this](size_t position) { return entries_.begin() + static_cast<std::ptrdiff_t>(position); };
  if (from >= entries_.size() || to >= entries_.size()) return;
  if (from < to) {
    std::rotate(at(from), at(from + 1), at(to + 1));
  } else if (to < from) {
    std::rotate(at(to), at(from), at(from + 1));
  }
}

bool FileList::Remove(size_t position) {
  if (position >= entries_.size()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  return true;
}

}  // namespace quillory
