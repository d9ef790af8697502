#include "platform/objref.h"

#include "common/little_endian.h"

#include <cstddef>

namespace quillory {
namespace {

constexpr uint32_t kSignatureMeow = 0x574F454D;  // "MEOW" read little-endian
constexpr uint32_t kStandard = 1, kHandler = 4, kExtended = 8;
constexpr size_t kIpidAt = 48;

}  // namespace

std::optional<Ipid> ReadIpid(std::string_view bytes) {
  if (bytes.size() < kIpidAt + 16 || ReadU32(bytes, 0) != kSignatureMeow) return std::nullopt;
  const uint32_t flags = ReadU32(bytes, 4);
  if (flags != kStandard && flags != kHandler && flags != kExtended) return std::nullopt;
  return Ipid{ReadU32(bytes, kIpidAt), ReadU16(bytes, kIpidAt + 4), ReadU16(bytes, kIpidAt + 6)};
}

uint16_t ProcessIdBits(const Ipid& ipid, IpidLayout layout) {
  return layout == IpidLayout::kWine ? ipid.data3 : ipid.data2;
}

}  // namespace quillory
