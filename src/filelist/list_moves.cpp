#include "filelist/list_moves.h"

namespace quillory {

std::optional<size_t> MoveTarget(ListMove move, size_t position, size_t count) {
  if (position >= count) return std::nullopt;
  const bool atTop = position == 0;
  const bool atBottom = position + 1 == count;
  switch (move) {
    case ListMove::kUp: return atTop ? std::nullopt : std::optional<size_t>(position - 1);
    case ListMove::kDown: return atBottom ? std::nullopt : std::optional<size_t>(position + 1);
    case ListMove::kToTop: return atTop ? std::nullopt : std::optional<size_t>(0);
    case ListMove::kToBottom: return atBottom ? std::nullopt : std::optional<size_t>(count - 1);
  }
  return std::nullopt;
}

}  // namespace quillory
