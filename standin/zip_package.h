// A zip archive read into entries and written back: entries that are not changed keep their
// compressed bytes as they were; changed ones are written deflated.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

uint32_t Crc32(std::string_view bytes);

// The largest entry the stand-in decompresses; document parts it reads are far smaller.
inline constexpr uint32_t kMaxEntrySize = 64u << 20;

struct ZipEntry {
  std::string name;
  uint16_t method = 0;  // 0 stored, 8 deflated
  uint16_t flags = 0;
  uint16_t time = 0;
  uint16_t date = 0;
  uint32_t crc = 0;
  uint32_t externalAttributes = 0;
  uint32_t uncompressedSize = 0;
  std::string compressed;  // the entry's data as stored in the archive
};

class ZipPackage {
 public:
  // False with a reason when the bytes are not a zip archive this reader understands, or when
  // its entries overlap, repeat a name or disagree with their local headers.
  bool Read(std::string_view archive, std::string* error);

  const std::vector<ZipEntry>& Entries() const { return entries_; }
  const ZipEntry* Find(std::string_view name) const;
  // The entry's bytes, decompressed and checked against its CRC.
  bool Contents(const ZipEntry& entry, std::string* bytes, std::string* error) const;
  // Replaces (or adds at the end) an entry with these bytes, deflated.
  void Put(std::string_view name, std::string_view bytes);
  void Remove(std::string_view name);
  void Remove(const std::set<std::string, std::less<>>& names);

  std::string Write() const;

 private:
  std::vector<ZipEntry> entries_;
};

}  // namespace standin
