#include "filelist/reorder_gesture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillory {
namespace {

FileList ListOf(std::vector<std::string> texts) {
  FileList list;
  list.AppendAll(std::move(texts));
  return list;
}

constexpr VisibleRows kAllVisible{0, 50};

TEST(ReorderGesture, WalkingOverNeighboursMovesTheDraggedTextAlong) {
  FileList list = ListOf({"1", "2", "3", "4", "5"});
  ReorderGesture gesture;
  gesture.ItemClick(1);
  gesture.ButtonDown();
  for (size_t over : {1u, 2u, 3u, 3u, 4u}) gesture.Move(list, over, kAllVisible);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"1", "3", "4", "5", "2"}));
  EXPECT_EQ(gesture.DragItem(), 4u);
}

TEST(ReorderGesture, AJumpTradesJustTheTwoTexts) {
  FileList list = ListOf({"1", "2", "3", "4", "5"});
  ReorderGesture gesture;
  gesture.ItemClick(0);
  gesture.ButtonDown();
  const MoveOutcome outcome = gesture.Move(list, 3, kAllVisible);
  EXPECT_TRUE(outcome.exchanged);
  EXPECT_EQ(outcome.from, 0u);
  EXPECT_EQ(outcome.to, 3u);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"4", "2", "3", "1", "5"}));
}

TEST(ReorderGesture, NothingMovesWithoutAButtonAClickOrAnEntry) {
  FileList list = ListOf({"a", "b", "c"});
  ReorderGesture gesture;
  gesture.ButtonDown();
  EXPECT_FALSE(gesture.Move(list, 2, kAllVisible).exchanged);  // no entry clicked yet
  gesture.ItemClick(0);
  gesture.ButtonUp();
  EXPECT_FALSE(gesture.Move(list, 2, kAllVisible).exchanged);  // button released
  gesture.ButtonDown();
  EXPECT_FALSE(gesture.Move(list, std::nullopt, kAllVisible).exchanged);  // below the last entry
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(ReorderGesture, IdenticalTextsAreNotExchanged) {
  FileList list = ListOf({"same", "other", "same"});
  ReorderGesture gesture;
  gesture.ItemClick(0);
  gesture.ButtonDown();
  EXPECT_FALSE(gesture.Move(list, 2, kAllVisible).exchanged);
  EXPECT_EQ(gesture.DragItem(), 0u);
  EXPECT_TRUE(gesture.Move(list, 1, kAllVisible).exchanged);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"other", "same", "same"}));
}

TEST(ReorderGesture, RemovalKeepsTheDraggedEntryOrForgetsIt) {
  FileList list = ListOf({"a", "b", "c", "d"});
  ReorderGesture gesture;
  gesture.ItemClick(2);
  list.Remove(0);
  gesture.Removed(0);
  EXPECT_EQ(gesture.DragItem(), 1u);  // still "c"
  list.Remove(1);
  gesture.Removed(1);
  EXPECT_EQ(gesture.DragItem(), std::nullopt);
  gesture.ButtonDown();
  EXPECT_FALSE(gesture.Move(list, 0, kAllVisible).exchanged);
}

TEST(ReorderGesture, ScrollsByTheListsOwnRowsNotTheScreen) {
  std::vector<std::string> texts;
  for (int i = 0; i < 30; ++i) texts.push_back(std::to_string(i));
  FileList list = ListOf(texts);
  ReorderGesture gesture;
  gesture.ItemClick(11);
  gesture.ButtonDown();
  const VisibleRows rows{10, 8};  // rows 10..17 visible
  EXPECT_EQ(gesture.Move(list, 10, rows).ensureVisible, 9u);   // top row: the one above
  EXPECT_EQ(gesture.Move(list, 17, rows).ensureVisible, 18u);  // bottom row: the one below
  EXPECT_EQ(gesture.Move(list, 13, rows).ensureVisible, std::nullopt);

  // Dragged up past the top row: each step brings the next entry above into view, to the first.
  gesture.ItemClick(5);
  for (size_t to = 4;; --to) {
    const MoveOutcome up = gesture.Move(list, to, VisibleRows{to, 8});  // the view has followed
    ASSERT_TRUE(up.exchanged);
    EXPECT_EQ(up.ensureVisible, to > 0 ? std::optional<size_t>(to - 1) : std::nullopt);
    if (to == 0) break;
  }
  EXPECT_EQ(list.Text(0), "5");
  gesture.ItemClick(28);
  EXPECT_EQ(gesture.Move(list, 29, VisibleRows{22, 8}).ensureVisible, std::nullopt);  // nothing below
}

TEST(FileList, AppendsInOrderAndKeepsDuplicates) {
  FileList list;
  list.Append("x");
  list.AppendAll({"y", "x"});
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"x", "y", "x"}));
  EXPECT_FALSE(list.Remove(3));
  EXPECT_TRUE(list.Remove(0));
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"y", "x"}));
}

TEST(FileList, HoldsMoreThanSixteenBitsOfEntries) {
  FileList list;
  std::vector<std::string> many(40000, "p");
  list.AppendAll(many);
  list.Append("last");
  EXPECT_EQ(list.Count(), 40001u);
  EXPECT_EQ(list.Text(40000), "last");
}

}  // namespace
}  // namespace quillory
