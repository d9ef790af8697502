// libFuzzer target: any bytes as a zip package. Reading must end with entries or a reason;
// every entry read decompresses or is refused with one; what is read writes back readably.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "zip_package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  standin::ZipPackage package;
  std::string error;
  if (!package.Read(bytes, &error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  for (const standin::ZipEntry& entry : package.Entries()) {
    std::string contents;
    error.clear();
    if (!package.Contents(entry, &contents, &error) && error.empty()) __builtin_trap();
    if (contents.size() > standin::kMaxEntrySize) __builtin_trap();
  }
  standin::ZipPackage again;
  if (!again.Read(package.Write(), &error) || again.Entries().size() != package.Entries().size()) __builtin_trap();
  return 0;
}
