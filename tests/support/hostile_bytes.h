// Hostile bytes for the stand-in's readers, made the same way by their tests and their benchmark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/little_endian.h"

namespace standin::hostile {

using quillory::WriteU32;

// The bytes with one little-endian 32-bit field set.
inline std::string With(std::string bytes, size_t at, uint32_t value) {
  WriteU32(bytes, at, value);
  return bytes;
}

// A raw deflate stream of `size` bytes 'a' in about size / 160 bytes: one literal, then copies
// of 258 bytes at distance 1, in the fixed codes (sent from their highest bit).
inline std::string Bomb(size_t size) {
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  const auto put = [&](uint32_t value, int n, bool reversed) {
    for (int i = 0; i < n; ++i) {
      bits |= ((reversed ? value >> (n - 1 - i) : value >> i) & 1u) << count;
      if (++count == 8) {
        out.push_back(static_cast<char>(bits));
        bits = 0;
        count = 0;
      }
    }
  };
  put(1, 1, false);  // the last block
  put(1, 2, false);  // in the fixed codes
  put(0x30 + 'a', 8, true);
  for (size_t made = 1; made + 258 <= size; made += 258) {
    put(0xC5, 8, true);  // length symbol 285: 258 bytes
    put(0, 5, true);     // distance 1
  }
  put(0, 7, true);  // end of block
  if (count) out.push_back(static_cast<char>(bits));
  return out;
}

// The number of bytes 'a' Bomb(size) decodes to.
inline size_t BombOutput(size_t size) { return 1 + (size - 1) / 258 * 258; }

}  // namespace standin::hostile
