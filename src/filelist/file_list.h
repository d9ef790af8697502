// The window's one ordered list of document paths: the list view shows it, the presses and
// drops append to it and the run reads it (the console runs over a plain vector). An entry is
// only its text (a UTF-8 path); two entries may hold the same text. Positions are 0-based
// here; the window shows them top to bottom.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillory {

class FileList {
 public:
  // Adds at the end, in the order given; nothing is tested or changed.
  void AppendAll(std::vector<std::string> paths);

  size_t Count() const { return entries_.size(); }
  const std::string& Text(size_t position) const { return entries_.at(position); }

  // Trades the texts of two positions.
  void Exchange(size_t a, size_t b);
  // Takes the entry at `from` out and puts it back at `to`; the ones between close up. For
  // neighbours it is the same as trading their texts.
  void Move(size_t from, size_t to);

  // Removes one entry; the ones below move up. False when there is none at that position.
  bool Remove(size_t position);

  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace quillory
