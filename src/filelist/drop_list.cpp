#include "filelist/drop_list.h"

#include <cstdint>

namespace quillory {
namespace {

constexpr size_t kHeaderSize = 20;  // DWORD offset, POINT, BOOL fNC, BOOL fWide
constexpr size_t kWideFlagAt = 16;

uint32_t ReadUint32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

char16_t UnitAt(std::string_view bytes, size_t unit) {
  return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * unit]) |
                               static_cast<unsigned char>(bytes[2 * unit + 1]) << 8);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

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
    const char16_t c = UnitAt(bytes, i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
      const char16_t low = UnitAt(bytes, i + 1);
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
  const uint32_t offset = ReadUint32(block, 0);
  if (offset < kHeaderSize || offset >= block.size()) return std::nullopt;
  const bool wide = ReadUint32(block, kWideFlagAt) != 0;
  std::vector<std::string> names;
  const bool ended = SplitNames(block.substr(offset), wide ? 2 : 1, [&](std::string_view name) {
    names.push_back(wide ? Utf16LeToUtf8(name) : fromAnsi(name));
  });
  if (!ended) return std::nullopt;
  return names;
}

}  // namespace quillory
