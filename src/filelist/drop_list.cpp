#include "filelist/drop_list.h"

#include <cstdint>

#include "common/little_endian.h"
#include "common/utf8.h"

namespace quillory {
namespace {

constexpr size_t kHeaderSize = 20;  // DWORD offset, POINT, BOOL fNC, BOOL fWide
constexpr size_t kWideFlagAt = 16;

// Splits `list` (whole characters of `unit` bytes) at its NULs; false when the empty name
// that closes the list is not inside it.
template <typename OnName>
bool SplitNames(std::string_view list, size_t unit, OnName onName) {
  const size_t count = list.size() / unit;
  auto isNul = [&](size_t i) { return unit == 1 ? list[i] == 0 : (list[2 * i] == 0 && list[2 * i + 1] == 0); };
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!isNul(i)) continue;
    if (i == start) return true;  // the empty name that closes the list
    onName(list.substr(start * unit, (i - start) * unit));
    start = i + 1;
  }
  return false;
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const size_t units = bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    const char16_t c = ReadU16(bytes, 2 * i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
      const char16_t low = ReadU16(bytes, 2 * (i + 1));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? char32_t{0xFFFD} : char32_t{c});
  }
  return out;
}

std::optional<std::vector<std::string>> ParseDropList(std::string_view block, const AnsiToUtf8& fromAnsi) {
  if (block.size() < kHeaderSize) return std::nullopt;
  const uint32_t offset = ReadU32(block, 0);
  if (offset < kHeaderSize || offset >= block.size()) return std::nullopt;
  const bool wide = ReadU32(block, kWideFlagAt) != 0;
  std::vector<std::string> names;
  const bool ended = SplitNames(block.substr(offset), wide ? 2 : 1, [&](std::string_view name) {
    names.push_back(wide ? Utf16LeToUtf8(name) : fromAnsi(name));
  });
  if (!ended) return std::nullopt;
  return names;
}

}  // namespace quillory
