#include "zip_package.h"

#include <algorithm>
#include <array>
#include <set>

#include "common/little_endian.h"
#include "inflate.h"

namespace standin {
namespace {

using quillory::AppendU16;
using quillory::AppendU32;
using quillory::ReadU16;
using quillory::ReadU32;

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
    if (ReadU32(archive, at) == kEndSignature) {
      end = at;
      break;
    }
  }
  if (end == std::string_view::npos) {
    *error = "no zip directory found";
    return false;
  }
  const uint16_t count = ReadU16(archive, end + 10);
  const uint32_t directorySize = ReadU32(archive, end + 12);
  const uint32_t directoryOffset = ReadU32(archive, end + 16);
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
    if (at + 46 > directoryEnd || ReadU32(archive, at) != kCentralSignature) {
      *error = "the zip directory is cut short";
      return false;
    }
    ZipEntry entry;
    entry.flags = ReadU16(archive, at + 8);
    entry.method = ReadU16(archive, at + 10);
    entry.time = ReadU16(archive, at + 12);
    entry.date = ReadU16(archive, at + 14);
    entry.crc = ReadU32(archive, at + 16);
    const uint32_t compressedSize = ReadU32(archive, at + 20);
    entry.uncompressedSize = ReadU32(archive, at + 24);
    const uint16_t nameLength = ReadU16(archive, at + 28);
    const uint16_t extraLength = ReadU16(archive, at + 30);
    const uint16_t commentLength = ReadU16(archive, at + 32);
    entry.externalAttributes = ReadU32(archive, at + 38);
    const uint32_t localOffset = ReadU32(archive, at + 42);
    if (at + 46 + nameLength > directoryEnd) {
      *error = "the zip directory is cut short";
      return false;
    }
    entry.name.assign(archive.substr(at + 46, nameLength));
    at += 46 + nameLength + extraLength + commentLength;

    if (static_cast<uint64_t>(localOffset) + 30 > archive.size() ||
        ReadU32(archive, localOffset) != kLocalSignature) {
      *error = "the entry \"" + entry.name + "\" has no local header";
      return false;
    }
    const uint16_t localNameLength = ReadU16(archive, localOffset + 26);
    const size_t dataStart = static_cast<size_t>(localOffset) + 30 + localNameLength + ReadU16(archive, localOffset + 28);
    // Data is read up to the directory, never from it or beyond.
    if (dataStart > directoryOffset || directoryOffset - dataStart < compressedSize) {
      *error = "the entry \"" + entry.name + "\" is cut short";
      return false;
    }
    if (ReadU16(archive, localOffset + 8) != entry.method ||
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

namespace {

// What an entry's local header and its directory record both hold, in the same order: the
// version needed, flags, method, time, date, CRC, sizes and the name's length.
void AppendSharedFields(std::string& out, const ZipEntry& e, uint16_t version) {
  AppendU16(out, version);
  AppendU16(out, e.flags);
  AppendU16(out, e.method);
  AppendU16(out, e.time);
  AppendU16(out, e.date);
  AppendU32(out, e.crc);
  AppendU32(out, static_cast<uint32_t>(e.compressed.size()));
  AppendU32(out, e.uncompressedSize);
  AppendU16(out, static_cast<uint16_t>(e.name.size()));
}

}  // namespace

std::string ZipPackage::Write() const {
  std::string out;
  std::string directory;
  for (const ZipEntry& e : entries_) {
    const uint32_t offset = static_cast<uint32_t>(out.size());
    const uint16_t version = e.method == 8 ? 20 : 10;
    AppendU32(out, kLocalSignature);
    AppendSharedFields(out, e, version);
    AppendU16(out, 0);  // extra
    out += e.name;
    out += e.compressed;

    AppendU32(directory, kCentralSignature);
    AppendU16(directory, version);  // made by
    AppendSharedFields(directory, e, version);
    AppendU16(directory, 0);  // extra
    AppendU16(directory, 0);  // comment
    AppendU16(directory, 0);  // disk
    AppendU16(directory, 0);  // internal attributes
    AppendU32(directory, e.externalAttributes);
    AppendU32(directory, offset);
    directory += e.name;
  }
  const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
  out += directory;
  AppendU32(out, kEndSignature);
  AppendU16(out, 0);
  AppendU16(out, 0);
  AppendU16(out, static_cast<uint16_t>(entries_.size()));
  AppendU16(out, static_cast<uint16_t>(entries_.size()));
  AppendU32(out, static_cast<uint32_t>(directory.size()));
  AppendU32(out, directoryOffset);
  AppendU16(out, 0);
  return out;
}

}  // namespace standin
