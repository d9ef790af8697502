#include "filelist/reorder_gesture.h"

#include "filelist/list_moves.h"

#include "core_test.h"

namespace quillory {
namespace {

using Texts = std::vector<std::string>;

FileList ListOf(Texts texts) {
  FileList list;
  list.AppendAll(std::move(texts));
  return list;
}

constexpr VisibleRows kAllVisible{0, 50};

TEST(ReorderGesture, WalkingOverNeighboursMovesTheDraggedTextAlongAndAJumpTradesJustTheTwo) {
  FileList list = ListOf({"1", "2", "3", "4", "5"});
  ReorderGesture gesture;
  gesture.ItemClick(1);
  gesture.ButtonDown();
  for (size_t over : {1u, 2u, 3u, 3u, 4u}) gesture.Move(list, over, kAllVisible);
  EXPECT_EQ(list.Entries(), (Texts{"1", "3", "4", "5", "2"}));
  const MoveOutcome jump = gesture.Move(list, 0, kAllVisible);
  EXPECT_EQ(std::tuple(jump.exchanged, jump.from, jump.to), std::tuple(true, size_t{4}, size_t{0}));
  EXPECT_EQ(gesture.DragItem(), 0u);
  EXPECT_EQ(list.Entries(), (Texts{"2", "3", "4", "5", "1"}));
}

TEST(ReorderGesture, NothingMovesWithoutAButtonAClickAnEntryOrAnotherText) {
  FileList list = ListOf({"a", "b", "a"});
  ReorderGesture gesture;
  gesture.ButtonDown();
  EXPECT_FALSE(gesture.Move(list, 1, kAllVisible).exchanged);  // no entry clicked yet
  gesture.ItemClick(0);
  gesture.ButtonUp();
  EXPECT_FALSE(gesture.Move(list, 1, kAllVisible).exchanged);  // button released
  gesture.ButtonDown();
  EXPECT_FALSE(gesture.Move(list, std::nullopt, kAllVisible).exchanged);  // below the last entry
  EXPECT_FALSE(gesture.Move(list, 2, kAllVisible).exchanged);             // the same text
}

TEST(ReorderGesture, RemovalKeepsTheDraggedEntryOrForgetsIt) {
  FileList list = ListOf({"a", "b", "c", "d"});
  ReorderGesture gesture;
  gesture.ItemClick(2);
  ASSERT_TRUE(list.Remove(0));
  gesture.Removed(0);
  EXPECT_EQ(gesture.DragItem(), 1u);  // still "c"
  ASSERT_TRUE(list.Remove(1));
  gesture.Removed(1);
  EXPECT_EQ(gesture.DragItem(), std::nullopt);
  EXPECT_EQ(list.Entries(), (Texts{"b", "d"}));
  EXPECT_FALSE(list.Remove(2));
}

TEST(ReorderGesture, ScrollsByTheListsOwnRowsNotTheScreen) {
  Texts texts;
  for (int i = 0; i < 30; ++i) texts.push_back(std::to_string(i));
  FileList list = ListOf(texts);
  ReorderGesture gesture;
  gesture.ItemClick(11);
  gesture.ButtonDown();
  const VisibleRows rows{10, 8};  // rows 10..17 visible
  EXPECT_EQ(gesture.Move(list, 10, rows).ensureVisible, 9u);   // top row: the one above
  EXPECT_EQ(gesture.Move(list, 17, rows).ensureVisible, 18u);  // bottom row: the one below
  EXPECT_EQ(gesture.Move(list, 18, rows).ensureVisible, 19u);  // a row shown in part below it too
  EXPECT_EQ(gesture.Move(list, 13, rows).ensureVisible, std::nullopt);

  // Dragged up to the top row, the view following: the entry above comes into view, to the first.
  EXPECT_EQ(gesture.Move(list, 1, VisibleRows{1, 8}).ensureVisible, 0u);
  EXPECT_EQ(gesture.Move(list, 0, VisibleRows{0, 8}).ensureVisible, std::nullopt);
  gesture.ItemClick(28);
  EXPECT_EQ(gesture.Move(list, 29, VisibleRows{22, 8}).ensureVisible, std::nullopt);  // nothing below
}

// The keys' and the menu's moves: where each goes (none past its edge, nor for no entry), the list
// after it, and the dragged entry ("c", clicked before) kept wherever the move takes it.
TEST(ListMoves, EachMoveGoesOnePlaceOrToAnEndAndNoneGoesPastTheEdgeItMovesTo) {
  const Texts same{"a", "b", "c", "d"};
  const struct { ListMove move; size_t from; std::optional<size_t> to; Texts after; } cases[] = {
      {ListMove::kUp, 2, 1, {"a", "c", "b", "d"}},    {ListMove::kDown, 2, 3, {"a", "b", "d", "c"}},
      {ListMove::kToTop, 3, 0, {"d", "a", "b", "c"}}, {ListMove::kToBottom, 0, 3, {"b", "c", "d", "a"}},
      {ListMove::kUp, 0, std::nullopt, same},         {ListMove::kToTop, 0, std::nullopt, same},
      {ListMove::kDown, 3, std::nullopt, same},       {ListMove::kToBottom, 3, std::nullopt, same},
      {ListMove::kDown, 4, std::nullopt, same}};
  for (const auto& c : cases) {
    FileList list = ListOf(same);
    ReorderGesture gesture;
    gesture.ItemClick(2);
    EXPECT_EQ(MoveTarget(c.move, c.from, list.Count()), c.to) << c.from;
    if (c.to) list.Move(c.from, *c.to), gesture.Moved(c.from, *c.to);
    EXPECT_EQ(list.Entries(), c.after);
    EXPECT_EQ(list.Text(*gesture.DragItem()), "c");
  }
}

}  // namespace
}  // namespace quillory
