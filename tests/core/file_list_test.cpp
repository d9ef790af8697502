#include "filelist/file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillory {
namespace {

using Texts = std::vector<std::string>;

TEST(FileList, EachBatchGoesAfterTheEntriesAlreadyThereInTheOrderGiven) {
  const struct {
    std::vector<Texts> batches;
    Texts entries;
  } cases[] = {
      {{{"a", "b"}, {"c", "d"}}, {"a", "b", "c", "d"}},
      {{{}, {"b"}, {"a", "b"}}, {"b", "a", "b"}},  // the same text twice is two entries
  };
  for (const auto& [batches, entries] : cases) {
    FileList list;
    for (const Texts& batch : batches) list.AppendAll(batch);
    EXPECT_EQ(list.Entries(), entries);
  }
}

}  // namespace
}  // namespace quillory
