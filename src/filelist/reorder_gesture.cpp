#include "filelist/reorder_gesture.h"

namespace quillory {

MoveOutcome ReorderGesture::Move(FileList& list, std::optional<size_t> hit, VisibleRows rows) {
  MoveOutcome outcome;
  if (!buttonHeld_ || !hit || !dragItem_) return outcome;
  const size_t from = *dragItem_;
  const size_t to = *hit;
  if (from >= list.Count() || to >= list.Count()) return outcome;
  // Identical texts (the dragged entry itself among them) are not exchanged.
  if (list.Text(from) == list.Text(to)) return outcome;

  list.Exchange(from, to);
  dragItem_ = to;
  outcome.exchanged = true;
  outcome.from = from;
  outcome.to = to;

  // Scroll by the list's own rows: reaching the top visible row brings the entry above into
  // view, reaching the bottom one the entry below, wherever the window stands on the screen.
  if (rows.count > 0) {
    const size_t bottom = rows.top + rows.count - 1;
    if (to <= rows.top && to >= 1) {
      outcome.ensureVisible = to - 1;
    } else if (to >= bottom && to + 1 < list.Count()) {
      outcome.ensureVisible = to + 1;
    }
  }
  return outcome;
}

void ReorderGesture::Removed(size_t position) {
  if (!dragItem_) return;
  if (*dragItem_ == position) {
    dragItem_.reset();
  } else if (*dragItem_ > position) {
    --*dragItem_;
  }
}

void ReorderGesture::Moved(size_t from, size_t to) {
  if (!dragItem_) return;
  size_t& item = *dragItem_;
  if (item == from) {
    item = to;
  } else if (from < to && item > from && item <= to) {
    --item;
  } else if (to < from && item >= to && item < from) {
    ++item;
  }
}

}  // namespace quillory
