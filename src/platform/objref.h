// The standard marshalled reference to a COM interface (OBJREF, as CoMarshalInterface writes
// it): what it says about the process that serves the interface. Portable, so that it is read
// without trusting the bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillory {

// The interface pointer identifier (IPID) of a standard, handler or extended reference.
struct Ipid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
};

// Where a reference's IPID keeps the low 16 bits of the serving process's id. Windows puts
// them in Data2 (Data3 holds the apartment's thread, or 0xFFFF for the multithreaded one);
// Wine puts the thread in Data2 and the process in Data3.
enum class IpidLayout { kWindows, kWine };

// The IPID of a marshalled reference: signature "MEOW", then the flags, the interface id and
// the standard reference at byte 24, whose IPID is at byte 48. Nothing for a custom reference,
// a short buffer or another signature.
std::optional<Ipid> ReadIpid(std::string_view bytes);

// The low 16 bits of the serving process's id.
uint16_t ProcessIdBits(const Ipid& ipid, IpidLayout layout);

}  // namespace quillory
