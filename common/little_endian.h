// Little-endian integers in byte strings, as file formats and the shell's memory blocks store
// them. The caller checks that the bytes are there. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillory {

inline uint16_t ReadU16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

inline uint32_t ReadU32(std::string_view bytes, size_t at) {
  return ReadU16(bytes, at) | static_cast<uint32_t>(ReadU16(bytes, at + 2)) << 16;
}

inline void AppendU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

inline void AppendU32(std::string& out, uint32_t value) {
  AppendU16(out, static_cast<uint16_t>(value & 0xFFFF));
  AppendU16(out, static_cast<uint16_t>(value >> 16));
}

inline void WriteU32(std::string& bytes, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace quillory
