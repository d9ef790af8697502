#include "filelist/file_list.h"

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

bool FileList::Remove(size_t position) {
  if (position >= entries_.size()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  return true;
}

}  // namespace quillory
