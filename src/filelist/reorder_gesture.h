// Moving an entry by dragging it over the list: the dragged text walks through the list,
// trading places with every entry the pointer passes over. Portable: the window hands in
// the entry under the pointer and the visible rows, and carries out the outcome.
#pragma once

#include <cstddef>
#include <optional>

#include "filelist/file_list.h"

namespace quillory {

// The rows the list shows at the moment of a move.
struct VisibleRows {
  size_t top = 0;    // position of the top visible row
  size_t count = 0;  // rows that fit fully
};

struct MoveOutcome {
  bool exchanged = false;
  size_t from = 0;  // where the dragged text was
  size_t to = 0;    // where it is now (selected)
  std::optional<size_t> ensureVisible;  // a neighbour to scroll into view
};

class ReorderGesture {
 public:
  // An entry was clicked: the selected one becomes the dragged one.
  void ItemClick(std::optional<size_t> selected) { dragItem_ = selected; }
  // Any mouse button, pressed or released over the list.
  void ButtonDown() { buttonHeld_ = true; }
  void ButtonUp() { buttonHeld_ = false; }

  // A pointer move with `hit` the entry under the pointer, if any.
  MoveOutcome Move(FileList& list, std::optional<size_t> hit, VisibleRows rows);

  // An entry was removed: the dragged entry keeps its identity, or is gone with it.
  void Removed(size_t position);
  // An entry was moved from one place to another (FileList::Move): the dragged entry keeps its
  // identity, wherever it went.
  void Moved(size_t from, size_t to);

  std::optional<size_t> DragItem() const { return dragItem_; }
  bool ButtonHeld() const { return buttonHeld_; }

 private:
  std::optional<size_t> dragItem_;
  bool buttonHeld_ = false;
};

}  // namespace quillory
