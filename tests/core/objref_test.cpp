#include "platform/objref.h"

#include "core_test.h"

#include "common/little_endian.h"

namespace quillory {
namespace {

// A marshalled reference as COM writes one: signature, flags, interface id, then the standard
// reference (flags, count, OXID, OID) and its IPID at byte 48.
std::string Reference(uint32_t signature, uint32_t flags, uint32_t data1, uint16_t data2, uint16_t data3) {
  std::string bytes;
  AppendU32(bytes, signature);
  AppendU32(bytes, flags);
  bytes.append(40, '\x5A');  // interface id, then the standard reference up to its IPID
  AppendU32(bytes, data1);
  AppendU16(bytes, data2);
  AppendU16(bytes, data3);
  bytes.append(8, '\x01');
  return bytes;
}

TEST(ObjrefTest, TheIpidOfAStandardReferenceNamesTheServerInEachPlatformsField) {
  const std::optional<Ipid> ipid = ReadIpid(Reference(0x574F454D, 1, 7, 0x0104, 0x0120));
  ASSERT_TRUE(ipid);
  EXPECT_EQ(ipid->data1, 7u);
  EXPECT_EQ(ProcessIdBits(*ipid, IpidLayout::kWindows), 0x0104);
  EXPECT_EQ(ProcessIdBits(*ipid, IpidLayout::kWine), 0x0120);
  EXPECT_TRUE(ReadIpid(Reference(0x574F454D, 4, 7, 1, 2)));  // a handler's reference
  EXPECT_FALSE(ReadIpid(Reference(0x574F454D, 2, 7, 1, 2)));  // a custom one says nothing of it
  EXPECT_FALSE(ReadIpid(Reference(0x574F454E, 1, 7, 1, 2)));
  EXPECT_FALSE(ReadIpid(Reference(0x574F454D, 1, 7, 1, 2).substr(0, 63)));
}

}  // namespace
}  // namespace quillory
