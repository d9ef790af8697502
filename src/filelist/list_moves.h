// Moving the selected entry by keys or by the list's menu: one place up or down, to the top or
// to the bottom. Portable: the view asks where an entry would go, greys what cannot act, and
// carries the move out on the list.
#pragma once

#include <cstddef>
#include <optional>

namespace quillory {

enum class ListMove { kUp, kDown, kToTop, kToBottom };

inline constexpr ListMove kListMoves[] = {ListMove::kUp, ListMove::kDown, ListMove::kToTop, ListMove::kToBottom};

// Where the entry at `position` of `count` entries goes; none when it is already at the edge the
// move goes to (or there is no such entry), so that the move does nothing.
std::optional<size_t> MoveTarget(ListMove move, size_t position, size_t count);

}  // namespace quillory
