#include "compound_file.h"

#include <cstdint>
#include <vector>

#include "common/little_endian.h"

namespace standin {
namespace {

using quillory::ReadU16;
using quillory::ReadU32;

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint8_t kStorage = 1, kStream = 2;  // directory entry types

class Reader {
 public:
  Reader(std::string_view file, std::string* error) : file_(file), error_(error) {}

  bool Open() {
    static constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (file_.size() < 512 || file_.compare(0, 8, std::string_view(reinterpret_cast<const char*>(kSignature), 8)) != 0) {
      return Fail("not an OLE compound file");
    }
    const uint16_t shift = ReadU16(file_, 0x1E);
    if (shift != 9 && shift != 12) return Fail("unknown sector size");
    sectorSize_ = size_t{1} << shift;
    const uint16_t miniShift = ReadU16(file_, 0x20);
    if (miniShift != 6) return Fail("unknown mini sector size");
    miniSectorSize_ = size_t{1} << miniShift;
    miniCutoff_ = ReadU32(file_, 0x38);
    firstDirectory_ = ReadU32(file_, 0x30);

    // The FAT's own sectors: 109 in the header, the rest in the DIFAT chain. A FAT never needs
    // more sectors than it takes to describe every sector of the file, and none is named twice.
    const size_t sectorCount = file_.size() < 2 * sectorSize_ ? 0 : file_.size() / sectorSize_ - 1;
    const size_t perFatSector = sectorSize_ / 4;
    const uint32_t fatSectors = ReadU32(file_, 0x2C);
    if (fatSectors > (sectorCount + perFatSector - 1) / perFatSector) return Fail("the sector table is larger than the file");
    std::vector<bool> used(sectorCount);
    const auto claim = [&](uint32_t sector) {
      if (!SectorInFile(sector) || used[sector]) return false;
      used[sector] = true;
      return true;
    };
    std::vector<uint32_t> fatList;
    for (uint32_t i = 0; i < 109 && fatList.size() < fatSectors; ++i) fatList.push_back(ReadU32(file_, 0x4C + 4 * i));
    uint32_t difat = ReadU32(file_, 0x44);
    while (fatList.size() < fatSectors && difat <= kMaxRegularSector) {
      if (!claim(difat)) return Fail("the sector table is damaged");
      const size_t base = SectorOffset(difat);
      const size_t perSector = perFatSector - 1;
      for (size_t i = 0; i < perSector && fatList.size() < fatSectors; ++i) fatList.push_back(ReadU32(file_, base + 4 * i));
      difat = ReadU32(file_, base + 4 * perSector);
    }
    if (fatList.size() < fatSectors) return Fail("the sector table is cut short");
    fat_.reserve(fatList.size() * perFatSector);
    for (uint32_t s : fatList) {
      if (!claim(s)) return Fail("the sector table is damaged");
      const size_t base = SectorOffset(s);
      for (size_t i = 0; i < perFatSector; ++i) fat_.push_back(ReadU32(file_, base + 4 * i));
    }
    return true;
  }

  // Calls `visit` with the name and directory offset of every stream entry, walking the
  // directory through its own chain; notes the root's start on the way.
  template <typename Visit>
  // Every entry of the type given (2: a stream, 1: a storage) with a name of its own.
  bool ForEachEntry(uint8_t wanted, Visit visit) {
    uint32_t sector = firstDirectory_;
    std::vector<bool> seen(fat_.size());
    while (sector != kEndOfChain) {
      if (!SectorInFile(sector) || sector >= fat_.size() || seen[sector]) return Fail("the directory is damaged");
      seen[sector] = true;
      for (size_t at = SectorOffset(sector); at < SectorOffset(sector) + sectorSize_; at += 128) {
        const uint8_t type = static_cast<uint8_t>(file_[at + 0x42]);
        const uint16_t nameBytes = ReadU16(file_, at + 0x40);
        if (type == 5) rootStart_ = ReadU32(file_, at + 0x74);
        if (type != wanted || nameBytes < 2 || nameBytes > 64) continue;
        std::u16string name;
        for (size_t i = 0; i + 2 < nameBytes; i += 2) name.push_back(static_cast<char16_t>(ReadU16(file_, at + i)));
        visit(name, at);
      }
      sector = fat_[sector];
      if (sector > kMaxRegularSector && sector != kEndOfChain) return Fail("the directory is damaged");
    }
    return true;
  }

  bool FindEntry(std::u16string_view name, uint32_t* start, uint64_t* size) {
    bool found = false;
    const bool read = ForEachEntry(kStream, [&](std::u16string_view entryName, size_t at) {
      if (found || entryName != name) return;
      *start = ReadU32(file_, at + 0x74);
      *size = ReadU32(file_, at + 0x78) | (sectorSize_ == 4096 ? uint64_t{ReadU32(file_, at + 0x7C)} << 32 : 0);
      found = true;
    });
    return read && (found || Fail("it has no " + Ascii(name) + " stream"));
  }

  bool StreamStart(std::u16string_view name, uint32_t start, uint64_t size, size_t minimumBytes, size_t* offset) {
    if (size < minimumBytes) return Fail("the " + Ascii(name) + " stream is too short");
    if (size >= miniCutoff_) {
      if (!SectorInFile(start)) return Fail("the " + Ascii(name) + " stream is damaged");
      *offset = SectorOffset(start);
      return true;
    }
    // A small stream lives in the mini stream, itself a chain of regular sectors.
    const uint64_t position = uint64_t{start} * miniSectorSize_;
    uint32_t sector = rootStart_;
    for (uint64_t skip = position / sectorSize_, guard = 0; skip > 0; --skip, ++guard) {
      if (sector >= fat_.size() || guard > fat_.size()) return Fail("the mini stream is damaged");
      sector = fat_[sector];
    }
    if (!SectorInFile(sector)) return Fail("the mini stream is damaged");
    *offset = SectorOffset(sector) + position % sectorSize_;
    return true;
  }

 private:
  bool Fail(std::string why) {
    *error_ = std::move(why);
    return false;
  }
  // Stream names in reasons; the names looked for are ASCII.
  static std::string Ascii(std::u16string_view name) {
    std::string text;
    for (char16_t c : name) text.push_back(c < 128 ? static_cast<char>(c) : '?');
    return text;
  }
  size_t SectorOffset(uint32_t sector) const { return (size_t{sector} + 1) * sectorSize_; }
  bool SectorInFile(uint32_t sector) const {
    return sector <= kMaxRegularSector && SectorOffset(sector) + sectorSize_ <= file_.size();
  }

  std::string_view file_;
  std::string* error_;
  size_t sectorSize_ = 512;
  size_t miniSectorSize_ = 64;
  uint32_t miniCutoff_ = 4096;
  uint32_t firstDirectory_ = 0;
  uint32_t rootStart_ = kEndOfChain;
  std::vector<uint32_t> fat_;
};

}  // namespace

bool FindStreamStart(std::string_view file, std::u16string_view streamName, size_t minimumBytes,
                     size_t* offset, std::string* error) {
  Reader reader(file, error);
  uint32_t start = 0;
  uint64_t size = 0;
  return reader.Open() && reader.FindEntry(streamName, &start, &size) &&
         reader.StreamStart(streamName, start, size, minimumBytes, offset);
}

bool ListStreams(std::string_view file, std::vector<std::u16string>* names, std::string* error) {
  Reader reader(file, error);
  names->clear();
  return reader.Open() &&
         reader.ForEachEntry(kStream, [&](std::u16string_view name, size_t) { names->emplace_back(name); });
}

bool HasStorage(std::string_view file, std::u16string_view name) {
  std::string error;
  Reader reader(file, &error);
  bool found = false;
  return reader.Open() && reader.ForEachEntry(kStorage, [&](std::u16string_view entry, size_t) { found |= entry == name; }) &&
         found;
}

}  // namespace standin
