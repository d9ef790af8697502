#include "filelist/drop_list.h"

#include "core_test.h"

namespace quillory {
namespace {

using Paths = std::vector<std::string>;

// A DROPFILES block: the header (list offset, point, flags, wide flag) then the list bytes.
std::string Block(const std::string& list, bool wide, uint32_t offset = 20) {
  std::string block(20, '\0');
  for (int i = 0; i < 4; ++i) block[i] = static_cast<char>(offset >> (8 * i));
  block[16] = wide ? 1 : 0;
  return block + list;
}
// UTF-16LE bytes of the names, each closed by a NUL; `closed` adds the empty name that ends the list.
std::string WideList(const std::vector<std::u16string>& names, bool closed = true) {
  std::string bytes;
  for (std::u16string name : names) {
    name += u'\0';
    for (char16_t c : name) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  }
  return closed ? bytes + std::string(2, '\0') : bytes;
}
std::string NoAnsi(std::string_view) { return "?"; }

TEST(DropList, WideNamesComeInOrderAsUtf8WithEveryPlaneKept) {
  const auto paths = ParseDropList(
      Block(WideList({u"C:\\a.doc", u"C:\\\u03A9mega.doc", u"C:\\\U0001F600.doc", u"C:\\a.doc"}), true), NoAnsi);
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, (Paths{"C:\\a.doc", "C:\\\u03A9mega.doc", "C:\\\U0001F600.doc", "C:\\a.doc"}));
  // Each length of UTF-8 from its first character to its last; a surrogate without its pair is
  // replaced, as the system's own conversion does.
  EXPECT_EQ(Utf16LeToUtf8(WideList({u"a\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF",
                                    {0xD800, u'b', 0xDFFF, 0xDC00, 0xDBFF}}, false)),
            std::string("a\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\0"
                        "\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\0", 34));
}

TEST(DropList, AnsiNamesGoThroughTheCodePageConversion) {
  const std::string list = std::string("C:\\x.doc\0C:\\y.doc\0\0", 20);
  const auto paths = ParseDropList(Block(list, false), [](std::string_view name) { return "<" + std::string(name) + ">"; });
  EXPECT_EQ(paths, (Paths{"<C:\\x.doc>", "<C:\\y.doc>"}));
}

TEST(DropList, AnEmptyListGivesNothingAndABrokenOneIsRefused) {
  EXPECT_EQ(ParseDropList(Block(WideList({}), true), NoAnsi), Paths{});
  // The list runs to the end of the block, closed by no more than half a character.
  EXPECT_EQ(ParseDropList(Block(WideList({u"C:\\a.doc"}, false) + '\0', true), NoAnsi), std::nullopt);
  // The header is short, or the list starts inside it or past the block's end.
  EXPECT_EQ(ParseDropList(Block("", true).substr(0, 19), NoAnsi), std::nullopt);
  EXPECT_EQ(ParseDropList(Block(WideList({u"a"}), true, 19), NoAnsi), std::nullopt);
  EXPECT_EQ(ParseDropList(Block(WideList({u"a"}), true, 0xFFFFFFF0u), NoAnsi), std::nullopt);
  // A list may begin after a gap the header names.
  EXPECT_EQ(ParseDropList(Block("gap." + WideList({u"b"}), true, 24), NoAnsi), Paths{"b"});
}

}  // namespace
}  // namespace quillory
