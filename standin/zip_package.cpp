#include "zip_package.h"

#include <algorithm>
#include <array>
#include <set>

#include "inflate.h"

namespace standin {
namespace {

uint16_t U16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t U32(std::string_view b, size_t at) {
  return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}
void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;

// One entry's bytes in the archive, from its local header to the end of its data.
struct Span {
  uint64_t begin;
  uint64_t data;
  uint64_t end;
  const std::string* name;
};

}  // namespace

uint32_t Crc32(std::string_view bytes) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (char ch : bytes) crc = table[(crc ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

bool ZipPackage::Read(std::string_view archive, std::string* error) {
  entries_.clear();
  if (archive.size() < 22) {
    *error = "too short to be a zip package";
    return false;
  }
  // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
  size_t end = std::string_view::npos;
  const size_t lowest = archive.size() > 22 + 0xFFFF ? archive.size() - 22 - 0xFFFF : 0;
  for (size_t at = archive.size() - 22 + 1; at-- > lowest;) {
    if (U32(archive, at) == kEndSignature) {
      end = at;
      break;
    }
  }
  if (end == std::string_view::npos) {
    *error = "no zip directory found";
    return false;
  }
  const uint16_t count = U16(archive, end + 10);
  const uint32_t directorySize = U32(archive, end + 12);
  const uint32_t directoryOffset = U32(archive, end + 16);
  if (count == 0xFFFF || directoryOffset == 0xFFFFFFFFu) {
    *error = "zip64 packages are not supported";
    return false;
  }
  if (static_cast<uint64_t>(directoryOffset) + directorySize > end) {
    *error = "the zip directory lies outside the file";
    return false;
  }
  size_t at = directoryOffset;
  const size_t directoryEnd = size_t{directoryOffset} + directorySize;
  std::vector<Span> spans;
  for (uint16_t i = 0; i < count; ++i) {
    if (at + 46 > directoryEnd || U32(archive, at) != kCentralSignature) {
      *error = "the zip directory is cut short";
      return false;
    }
    ZipEntry entry;
    entry.flags = U16(archive, at + 8);
    entry.method = U16(archive, at + 10);
    entry.time = U16(archive, at + 12);
    entry.date = U16(archive, at + 14);
    entry.crc = U32(archive, at + 16);
    const uint32_t compressedSize = U32(archive, at + 20);
    entry.uncompressedSize = U32(archive, at + 24);
    const uint16_t nameLength = U16(archive, at + 28);
    const uint16_t extraLength = U16(archive, at + 30);
    const uint16_t commentLength = U16(archive, at + 32);
    entry.externalAttributes = U32(archive, at + 38);
    const uint32_t localOffset = U32(archive, at + 42);
    if (at + 46 + nameLength > directoryEnd) {
      *error = "the zip directory is cut short";
      return false;
    }
    entry.name.assign(archive.substr(at + 46, nameLength));
    at += 46 + nameLength + extraLength + commentLength;

    if (static_cast<uint64_t>(localOffset) + 30 > archive.size() ||
        U32(archive, localOffset) != kLocalSignature) {
      *error = "the entry \"" + entry.name + "\" has no local header";
      return false;
    }
    const uint16_t localNameLength = U16(archive, localOffset + 26);
    const size_t dataStart = static_cast<size_t>(localOffset) + 30 + localNameLength + U16(archive, localOffset + 28);
    // Data is read up to the directory, never from it or beyond.
    if (dataStart > directoryOffset || directoryOffset - dataStart < compressedSize) {
      *error = "the entry \"" + entry.name + "\" is cut short";
      return false;
    }
    if (U16(archive, localOffset + 8) != entry.method ||
        archive.substr(static_cast<size_t>(localOffset) + 30, localNameLength) != entry.name) {
      *error = "the entry \"" + entry.name + "\" has a local header that disagrees with the directory";
      return false;
    }
    if (entry.method == 0 && compressedSize != entry.uncompressedSize) {
      *error = "the entry \"" + entry.name + "\" is stored with two different sizes";
      return false;
    }
    // Sizes are now in the local header; no data descriptor follows when written back.
    entry.flags &= static_cast<uint16_t>(~0x0008);
    entries_.push_back(std::move(entry));
    spans.push_back({localOffset, dataStart, dataStart + compressedSize, nullptr});
  }
  // Each entry owns its bytes: no two name the same data (which would multiply what is read)
  // and no name comes twice (which would make it ambiguous which one is meant). Checked before
  // any data is copied.
  for (size_t i = 0; i < spans.size(); ++i) spans[i].name = &entries_[i].name;
  std::vector<Span> inOrder = spans;
  std::sort(inOrder.begin(), inOrder.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
  for (size_t i = 1; i < inOrder.size(); ++i) {
    if (inOrder[i].begin < inOrder[i - 1].end) {
      *error = "the entries \"" + *inOrder[i - 1].name + "\" and \"" + *inOrder[i].name + "\" share their data";
      entries_.clear();
      return false;
    }
  }
  std::set<std::string_view> names;
  for (const ZipEntry& e : entries_) {
    if (!names.insert(e.name).second) {
      *error = "the entry \"" + e.name + "\" comes twice";
      entries_.clear();
      return false;
    }
  }
  for (size_t i = 0; i < spans.size(); ++i) {
    entries_[i].compressed.assign(archive.substr(spans[i].data, spans[i].end - spans[i].data));
  }
  return true;
}

const ZipEntry* ZipPackage::Find(std::string_view name) const {
  for (const ZipEntry& e : entries_) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

bool ZipPackage::Contents(const ZipEntry& entry, std::string* bytes, std::string* error) const {
  bytes->clear();
  if (entry.uncompressedSize > kMaxEntrySize) {
    *error = "the entry \"" + entry.name + "\" is larger than the stand-in reads";
    return false;
  }
  if (entry.method == 0) {
    *bytes = entry.compressed;
  } else if (entry.method == 8) {
    // Never more than the entry says it holds: a few bytes can otherwise expand to gigabytes.
    if (!Inflate(entry.compressed, bytes, entry.uncompressedSize)) {
      *error = "the entry \"" + entry.name + "\" cannot be decompressed to its declared size";
      return false;
    }
  } else {
    *error = "the entry \"" + entry.name + "\" uses an unknown compression method";
    return false;
  }
  if (bytes->size() != entry.uncompressedSize || Crc32(*bytes) != entry.crc) {
    *error = "the entry \"" + entry.name + "\" fails its checksum";
    return false;
  }
  return true;
}

void ZipPackage::Put(std::string_view name, std::string_view bytes) {
  ZipEntry fresh;
  fresh.name = std::string(name);
  fresh.method = 8;
  fresh.crc = Crc32(bytes);
  fresh.uncompressedSize = static_cast<uint32_t>(bytes.size());
  fresh.compressed = Deflate(bytes);
  for (ZipEntry& e : entries_) {
    if (e.name == name) {
      fresh.time = e.time;
      fresh.date = e.date;
      fresh.flags = e.flags & 0x0800;  // keep only the UTF-8 name flag
      fresh.externalAttributes = e.externalAttributes;
      e = std::move(fresh);
      return;
    }
  }
  fresh.date = (1 << 5) | 1;  // 1980-01-01
  entries_.push_back(std::move(fresh));
}

void ZipPackage::Remove(std::string_view name) {
  std::erase_if(entries_, [&](const ZipEntry& e) { return e.name == name; });
}

void ZipPackage::Remove(const std::set<std::string, std::less<>>& names) {
  std::erase_if(entries_, [&](const ZipEntry& e) { return names.contains(e.name); });
}

std::string ZipPackage::Write() const {
  std::string out;
  std::string directory;
  for (const ZipEntry& e : entries_) {
    const uint32_t offset = static_cast<uint32_t>(out.size());
    const uint16_t version = e.method == 8 ? 20 : 10;
    Put32(out, kLocalSignature);
    Put16(out, version);
    Put16(out, e.flags);
    Put16(out, e.method);
    Put16(out, e.time);
    Put16(out, e.date);
    Put32(out, e.crc);
    Put32(out, static_cast<uint32_t>(e.compressed.size()));
    Put32(out, e.uncompressedSize);
    Put16(out, static_cast<uint16_t>(e.name.size()));
    Put16(out, 0);
    out += e.name;
    out += e.compressed;

    Put32(directory, kCentralSignature);
    Put16(directory, version);
    Put16(directory, version);
    Put16(directory, e.flags);
    Put16(directory, e.method);
    Put16(directory, e.time);
    Put16(directory, e.date);
    Put32(directory, e.crc);
    Put32(directory, static_cast<uint32_t>(e.compressed.size()));
    Put32(directory, e.uncompressedSize);
    Put16(directory, static_cast<uint16_t>(e.name.size()));
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, e.externalAttributes);
    Put32(directory, offset);
    directory += e.name;
  }
  const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
  out += directory;
  Put32(out, kEndSignature);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint16_t>(entries_.size()));
  Put16(out, static_cast<uint16_t>(entries_.size()));
  Put32(out, static_cast<uint32_t>(directory.size()));
  Put32(out, directoryOffset);
  Put16(out, 0);
  return out;
}

}  // namespace standin
