// libFuzzer target: any bytes as a compound file. Listing its streams and finding a stream's
// start end with an answer or a reason, and a start found has the bytes asked for behind it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compound_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::u16string> names;
  std::string error;
  if (!standin::ListStreams(bytes, &names, &error) && error.empty()) __builtin_trap();
  standin::HasStorage(bytes, u"Macros");
  constexpr size_t kWanted = 12;
  size_t offset = 0;
  error.clear();
  if (standin::FindStreamStart(bytes, u"WordDocument", kWanted, &offset, &error)) {
    if (offset > size || size - offset < kWanted) __builtin_trap();
  } else if (error.empty()) {
    __builtin_trap();
  }
  return 0;
}
