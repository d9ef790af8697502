// Prints the stand-in's format code on hostile input: for each kind of bad file, built here from
// the fixtures of tests/data, the time (median of a few runs) and the peak memory of
// IdentifyDocument + ConvertToTemplate, and the reason given; then a 6 MB document of each family
// converted against the same file just read into memory. Native (Linux): each peak is measured
// in a child process of its own, against a child that does nothing.
//   bench_standin_formats <tests/data folder>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hostile_bytes.h"
#include "inflate.h"
#include "template_making.h"
#include "zip_package.h"

namespace {

using quillory::ReadU32;
using standin::hostile::WriteU32;
using standin::hostile::With;

std::string dataFolder;

// The archive (as ZipPackage writes it: no comment, its directory last) with its first
// directory record repeated `times` times in place of the whole directory, each naming the
// same local header and data.
std::string RepeatedDirectory(std::string_view archive, uint32_t times) {
  const size_t end = archive.size() - 22;
  const size_t first = archive.find(std::string_view("PK\x01\x02", 4));
  const size_t second = archive.find(std::string_view("PK\x01\x02", 4), first + 4);
  const std::string_view record = archive.substr(first, (second < end ? second : end) - first);
  std::string repeated(archive.substr(0, first));
  repeated.reserve(first + record.size() * times + 22);
  for (uint32_t i = 0; i < times; ++i) repeated += record;
  const size_t records = repeated.size() - first;
  repeated += archive.substr(end);
  WriteU32(repeated, repeated.size() - 22 + 8, (times & 0xFFFF) * 0x10001u);  // the entry counts
  WriteU32(repeated, repeated.size() - 22 + 12, static_cast<uint32_t>(records));
  WriteU32(repeated, repeated.size() - 22 + 16, static_cast<uint32_t>(first));
  return repeated;
}

std::string Fixture(const std::string& name) {
  std::ifstream file(dataFolder + "/" + name, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "cannot read %s/%s\n", dataFolder.c_str(), name.c_str());
    std::exit(2);
  }
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string Noise(size_t size) {  // incompressible, as pictures are
  std::mt19937_64 random(42);
  std::string bytes(size, '\0');
  for (size_t i = 0; i + 8 <= size; i += 8) {
    const uint64_t value = random();
    std::copy_n(reinterpret_cast<const char*>(&value), 8, bytes.data() + i);
  }
  return bytes;
}

// ---- Open XML packages

// report.docx with these entries put in (deflated).
std::string Package(const std::vector<std::pair<std::string, std::string>>& parts) {
  standin::ZipPackage package;
  std::string error;
  if (!package.Read(Fixture("report.docx"), &error)) std::exit(2);
  for (const auto& [name, bytes] : parts) package.Put(name, bytes);
  return package.Write();
}

// report.docx with a picture of noise added, about `size` bytes in all.
std::string BigDocx(size_t size) { return Package({{"word/media/image1.png", Noise(size - 6000)}}); }

// The archive with one more entry, deflated data given as is, whatever its declared size and CRC.
std::string WithRawEntry(const std::string& archive, const std::string& name, const std::string& compressed,
                         uint32_t declaredSize, uint32_t crc) {
  const size_t end = archive.size() - 22;
  const uint32_t directoryOffset = ReadU32(archive, end + 16);
  std::string header(30, '\0');
  WriteU32(header, 0, 0x04034b50);
  header[4] = 20;
  header[8] = 8;  // deflated
  WriteU32(header, 14, crc);
  WriteU32(header, 18, static_cast<uint32_t>(compressed.size()));
  WriteU32(header, 22, declaredSize);
  header[26] = static_cast<char>(name.size());
  std::string record(46, '\0');
  WriteU32(record, 0, 0x02014b50);
  record[4] = record[6] = 20;
  record[10] = 8;
  WriteU32(record, 16, crc);
  WriteU32(record, 20, static_cast<uint32_t>(compressed.size()));
  WriteU32(record, 24, declaredSize);
  record[28] = static_cast<char>(name.size());
  WriteU32(record, 42, directoryOffset);
  const std::string local = header + name + compressed;
  std::string out = archive.substr(0, directoryOffset) + local + archive.substr(directoryOffset, end - directoryOffset) +
                    record + name + archive.substr(end);
  const size_t newEnd = out.size() - 22;
  const uint16_t count = static_cast<uint16_t>(static_cast<uint8_t>(out[newEnd + 10]) + 1);
  WriteU32(out, newEnd + 8, count * 0x10001u);
  WriteU32(out, newEnd + 12, ReadU32(out, newEnd + 12) + 46 + static_cast<uint32_t>(name.size()));
  WriteU32(out, newEnd + 16, directoryOffset + static_cast<uint32_t>(local.size()));
  return out;
}

// Where the central record of an entry lies.
size_t RecordOf(const std::string& archive, const std::string& name) {
  const size_t end = archive.size() - 22;
  return archive.rfind(name, end) - 46;
}

std::string ContentTypes() {
  standin::ZipPackage package;
  std::string error, types;
  package.Read(Fixture("report.docx"), &error);
  package.Contents(*package.Find("[Content_Types].xml"), &types, &error);
  return types;
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  out.reserve(text.size() * times);
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// The content types with this text put before the first Override.
std::string TypesWith(const std::string& text) {
  std::string types = ContentTypes();
  types.insert(types.find("<Override"), text);
  return Package({{"[Content_Types].xml", types}});
}

// ---- Compound files

// letter.doc (512-byte sectors: its FAT in sector 0, directory in sectors 15 and 16, the last
// directory slot free) grown to `size` bytes by a "Data" stream of noise: the FAT grows to
// cover every sector, its sectors listed in the header; the stream joins the directory tree
// as the left child of "1Table".
std::string BigDoc(size_t size) {
  constexpr size_t kSector = 512, kPerFat = kSector / 4;
  std::string doc = Fixture("letter.doc");
  const size_t oldSectors = doc.size() / kSector - 1;
  const size_t sectors = size / kSector - 1;
  const size_t fatSectors = (sectors + kPerFat - 1) / kPerFat;  // at most 109: all in the header
  const size_t firstData = oldSectors + fatSectors - 1;
  std::vector<uint32_t> fat(fatSectors * kPerFat, 0xFFFFFFFF);
  for (size_t i = 0; i < oldSectors; ++i) fat[i] = ReadU32(doc, kSector + 4 * i);
  for (size_t i = oldSectors; i < firstData; ++i) fat[i] = 0xFFFFFFFD;  // a FAT sector
  for (size_t i = firstData; i + 1 < sectors; ++i) fat[i] = static_cast<uint32_t>(i + 1);
  fat[sectors - 1] = 0xFFFFFFFE;
  doc += std::string((fatSectors - 1) * kSector, '\0');
  doc += Noise((sectors - firstData) * kSector);
  WriteU32(doc, 0x2C, static_cast<uint32_t>(fatSectors));
  for (size_t k = 0; k < fatSectors; ++k) {
    const size_t sector = k == 0 ? 0 : oldSectors + k - 1;
    WriteU32(doc, 0x4C + 4 * k, static_cast<uint32_t>(sector));
    for (size_t i = 0; i < kPerFat; ++i) WriteU32(doc, (sector + 1) * kSector + 4 * i, fat[k * kPerFat + i]);
  }
  const size_t entry = (16 + 1) * kSector + 3 * 128;  // directory entry 7
  std::string slot(128, '\0');
  const std::u16string name = u"Data";
  for (size_t i = 0; i < name.size(); ++i) slot[2 * i] = static_cast<char>(name[i]);
  slot[0x40] = static_cast<char>(2 * (name.size() + 1));
  slot[0x42] = 2;  // a stream
  slot[0x43] = 1;  // black
  WriteU32(slot, 0x44, 0xFFFFFFFF);
  WriteU32(slot, 0x48, 0xFFFFFFFF);
  WriteU32(slot, 0x4C, 0xFFFFFFFF);
  WriteU32(slot, 0x74, static_cast<uint32_t>(firstData));
  WriteU32(slot, 0x78, static_cast<uint32_t>((sectors - firstData) * kSector));
  doc.replace(entry, 128, slot);
  WriteU32(doc, (15 + 1) * kSector + 3 * 128 + 0x44, 7);  // 1Table's left child
  return doc;
}

// Where a sector's FAT entry lies in a file made by BigDoc: the FAT's first sector is
// letter.doc's sector 0, the others follow letter.doc's 17 sectors.
size_t FatEntry(size_t sector) {
  const size_t fatSector = sector / 128 == 0 ? 0 : 16 + sector / 128;
  return (fatSector + 1) * 512 + 4 * (sector % 128);
}

// The WordDocument directory entry of letter.doc (entry 5: sector 16, slot 1).
constexpr size_t kWordDocumentEntry = (16 + 1) * 512 + 128;

// ---- Measuring

struct Outcome {
  bool converted = false;
  std::string reason;
};

Outcome Convert(std::string_view bytes) {
  standin::DocumentKind kind{};
  std::string error, out;
  if (!standin::IdentifyDocument(bytes, &kind, &error)) return {false, error};
  const bool binary = kind == standin::DocumentKind::kBinaryDocument || kind == standin::DocumentKind::kBinaryTemplate;
  const bool made = standin::ConvertToTemplate(
      bytes, kind, binary ? standin::DocumentKind::kBinaryTemplate : standin::DocumentKind::kXmlTemplate, &out, &error);
  return {made, made ? "converted, " + std::to_string(out.size()) + " bytes" : error};
}

// The peak resident memory (KB) of a child that runs `work` once and exits.
long ChildPeak(const std::function<void()>& work) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

// Peak memory above that of the same process doing nothing, in MB.
double PeakAbove(const std::function<void()>& work) {
  malloc_trim(0);  // what earlier cases freed goes back, so the child's own allocations count
  const long idle = ChildPeak([] {});
  const long busy = ChildPeak(work);
  return idle < 0 || busy < 0 ? -1 : static_cast<double>(busy - idle) / 1024.0;
}

double MedianMs(const std::function<void()>& work) {
  std::vector<double> times;
  for (int run = 0; run < 7; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (times[0] > 2000 || (run >= 2 && times[0] > 500)) break;  // slow cases: one or three runs
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::string Size(size_t bytes) {
  char text[32];
  if (bytes >= 1 << 20) std::snprintf(text, sizeof text, "%.1f MB", bytes / 1048576.0);
  else if (bytes >= 1 << 10) std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
  else std::snprintf(text, sizeof text, "%zu B", bytes);
  return text;
}

void Row(const std::string& name, size_t size, double ms, double peakMb, const std::string& result) {
  std::printf("%-52s %9s %10.2f %9.1f  %.60s\n", name.c_str(), Size(size).c_str(), ms, peakMb, result.c_str());
}

void Header(const char* title) {
  std::printf("\n%s\n%-52s %9s %10s %9s  %s\n", title, "input", "size", "median ms", "peak MB", "result");
}

struct Case {
  const char* name;
  std::function<std::string()> make;
};

std::vector<Case> HostileCases() {
  const auto doc = [](size_t size) { return BigDoc(size); };
  const auto docx = [](size_t size) { return BigDocx(size); };
  std::vector<Case> cases = {
      {"doc: cut in the middle (4 MB file)", [=] { return doc(4 << 20).substr(0, 2 << 20); }},
      {"doc: directory chain loops (15 -> 16 -> 15)", [=] { return With(doc(4 << 20), FatEntry(16), 15); }},
      {"doc: mini chain loops, stream starts 256 GB in", [=] {
         std::string d = doc(4 << 20);
         WriteU32(d, FatEntry(4), 3);  // the mini stream's sectors: 3 -> 4 -> 3
         WriteU32(d, kWordDocumentEntry + 0x74, 0xFFFFFFF0);
         return d;
       }},
      {"doc: big stream's FAT chain loops (never walked)", [=] {
         std::string d = doc(4 << 20);
         const size_t last = d.size() / 512 - 2;
         WriteU32(d, FatEntry(last), static_cast<uint32_t>(last - 100));
         return d;
       }},
      {"doc: one sector named as all 64 FAT sectors", [=] {
         std::string d = doc(4 << 20);
         for (size_t i = 0; i < 64; ++i) WriteU32(d, 0x4C + 4 * i, 0);
         return d;
       }},
      {"doc: DIFAT sector names one FAT sector 27 times", [] {
         // Past 109 FAT sectors the list goes on in DIFAT sectors: a file of 8.5 MB needs 136.
         std::string d = Fixture("letter.doc") + std::string((17 << 19) - 9216, '\0');
         WriteU32(d, 0x2C, 136);
         for (uint32_t i = 0; i < 109; ++i) WriteU32(d, 0x4C + 4 * i, 20 + i);
         WriteU32(d, 0x44, 200);
         WriteU32(d, 0x48, 1);
         for (size_t i = 0; i < 127; ++i) WriteU32(d, 201 * 512 + 4 * i, 300);
         WriteU32(d, 201 * 512 + 4 * 127, 0xFFFFFFFE);
         return d;
       }},
      {"doc: FAT sector count 0xFFFFFFFF", [=] { return With(doc(4 << 20), 0x2C, 0xFFFFFFFF); }},
      {"doc: FAT sector past the end", [=] { return With(doc(4 << 20), 0x4C + 4 * 5, 0x00FFFFFF); }},
      {"doc: directory start past the end", [=] { return With(doc(4 << 20), 0x30, 0x00FFFFFF); }},
      {"doc: WordDocument big, starts past the end", [=] {
         std::string d = doc(4 << 20);
         WriteU32(d, kWordDocumentEntry + 0x74, 0x00FFFFFF);
         WriteU32(d, kWordDocumentEntry + 0x78, 1 << 20);
         return d;
       }},
      {"doc: WordDocument size 0xFFFFFFFF", [=] { return With(doc(4 << 20), kWordDocumentEntry + 0x78, 0xFFFFFFFF); }},
      {"docx: cut in the middle (4 MB file)", [=] { return docx(4 << 20).substr(0, 2 << 20); }},
      {"docx: directory offset past the end", [=] {
         std::string z = docx(4 << 20);
         WriteU32(z, z.size() - 22 + 16, 0x7FFFFFF0);
         return z;
       }},
      {"docx: directory size past the end", [=] {
         std::string z = docx(4 << 20);
         WriteU32(z, z.size() - 22 + 12, 0x7FFFFFF0);
         return z;
       }},
      {"docx: 65,534 entries counted in a short directory", [=] {
         std::string z = docx(4 << 20);
         WriteU32(z, z.size() - 22 + 8, 0xFFFEFFFE);
         return z;
       }},
      {"docx: picture's data size past the end", [=] {
         std::string z = docx(4 << 20);
         WriteU32(z, RecordOf(z, "word/media/image1.png") + 20, 0x7FFFFFF0);
         return z;
       }},
      {"docx: picture's local header past the end", [=] {
         std::string z = docx(4 << 20);
         WriteU32(z, RecordOf(z, "word/media/image1.png") + 42, 0x7FFFFFF0);
         return z;
       }},
      {"docx: local and central names disagree", [=] {
         std::string z = docx(4 << 20);
         z[z.find("word/media/image1.png") + 5] = 'M';  // the local header's copy
         return z;
       }},
      {"docx: local and central methods disagree", [=] {
         std::string z = docx(4 << 20);
         z[z.find("word/media/image1.png") - 30 + 8] = 0;
         return z;
       }},
      {"docx: 20,000 directory records naming one entry", [] {
         return RepeatedDirectory(Package({}), 20000);
       }},
      {"docx: 6 KB entry declared 4 GB", [] {
         return WithRawEntry(Package({}), "word/media/bomb.bin", standin::hostile::Bomb(1 << 20), 0xFFFFFFF0, 0);
       }},
      {"docx: 400 KB bomb (64 MB+) declared 8 MB", [] {
         return WithRawEntry(Package({}), "word/media/bomb.bin", standin::hostile::Bomb(standin::kMaxEntrySize + 1000),
                             8 << 20, 0);
       }},
      {"docx: 400 KB bomb (64 MB+) declared 64 MB, bad CRC", [] {
         return WithRawEntry(Package({}), "word/media/bomb.bin", standin::hostile::Bomb(standin::kMaxEntrySize + 1000),
                             standin::kMaxEntrySize, 0);
       }},
      {"docx: honest 64 MB entry in 400 KB", [] {
         const size_t size = standin::hostile::BombOutput(standin::kMaxEntrySize);
         return WithRawEntry(Package({}), "word/media/bomb.bin", standin::hostile::Bomb(standin::kMaxEntrySize),
                             static_cast<uint32_t>(size), standin::Crc32(std::string(size, 'a')));
       }},
      {"docx: 8 honest 64 MB entries in 0.5 MB", [] {
         const std::string contents(standin::kMaxEntrySize, 'a');
         const std::string compressed = standin::Deflate(contents);
         std::string z = Package({});
         for (int i = 0; i < 8; ++i) {
           z = WithRawEntry(z, "word/media/big" + std::to_string(i) + ".bin", compressed, standin::kMaxEntrySize,
                            standin::Crc32(contents));
         }
         return z;
       }},
      {"docx: [Content_Types].xml a 64 MB bomb, honest", [] {
         std::string z = Package({});
         const size_t size = standin::hostile::BombOutput(standin::kMaxEntrySize);
         // Renamed away, then the bomb takes the name.
         z[RecordOf(z, "[Content_Types].xml") + 46] = '(';
         z[z.find("[Content_Types].xml")] = '(';
         return WithRawEntry(z, "[Content_Types].xml", standin::hostile::Bomb(standin::kMaxEntrySize),
                             static_cast<uint32_t>(size), standin::Crc32(std::string(size, 'a')));
       }},
      {"xml: 100,000 unclosed <Override> (1 MB)", [] {
         return Package({{"[Content_Types].xml", "<Types>" + Repeat("<Override>", 100000)}});
       }},
      {"xml: 100,000 unclosed '<Override ' (1 MB)", [] {
         return Package({{"[Content_Types].xml", "<Types>" + Repeat("<Override ", 100000)}});
       }},
      {"xml: 100,000 unclosed <Override a='x'> (1.4 MB)", [] {
         return Package({{"[Content_Types].xml", "<Types>" + Repeat("<Override a='x'>", 100000)}});
       }},
      {"xml: 100,000 nested <Override>, closed (2 MB)", [] {
         return TypesWith(Repeat("<Override>", 100000) + Repeat("</Override>", 100000));
       }},
      {"xml: 100,000 empty <Override/> before the main", [] { return TypesWith(Repeat("<Override/>", 100000)); }},
      {"xml: 100,000 <Default/> before the main", [] { return TypesWith(Repeat("<Default/>", 100000)); }},
      {"xml: one Override, 100,000 distinct attributes", [] {
         std::string tag = "<Override";
         for (int i = 0; i < 100000; ++i) tag += " a" + std::to_string(i) + "=''";
         return TypesWith(tag + "/>");
       }},
      {"xml: one Override, 100,000 times one attribute", [] {
         return TypesWith("<Override" + Repeat(" a=''", 100000) + "/>");
       }},
      {"xml: 10,000 macro parts to leave out (1 MB)", [] {
         std::string macros;
         for (int i = 0; i < 10000; ++i) {
           macros += "<Override PartName=\"/m" + std::to_string(i) + "\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
         }
         return TypesWith(macros);
       }},
  };
  return cases;
}

// A 6 MB document of each family: conversion against reading the file.
void BigDocuments() {
  Header("6 MB documents: IdentifyDocument + ConvertToTemplate against reading the file once");
  const char* folder = std::getenv("TMPDIR");
  for (const auto& [family, bytes] : {std::pair<const char*, std::string>{"doc", BigDoc(6 << 20)},
                                      std::pair<const char*, std::string>{"docx", BigDocx(6 << 20)}}) {
    const std::string path = std::string(folder ? folder : "/tmp") + "/standin-bench-" + std::to_string(getpid()) + "." + family;
    std::ofstream(path, std::ios::binary) << bytes;
    const auto read = [&] {
      std::ifstream file(path, std::ios::binary);
      std::string contents(bytes.size(), '\0');
      file.read(contents.data(), static_cast<std::streamsize>(contents.size()));
      return contents;
    };
    const size_t size = bytes.size();
    Outcome outcome;
    const auto readOnce = [&] { (void)read(); };
    const auto convert = [&] { outcome = Convert(read()); };
    Row(std::string(family) + ": read the file", size, MedianMs(readOnce), PeakAbove(readOnce), "");
    Row(std::string(family) + ": read, identify and convert", size, MedianMs(convert), PeakAbove(convert), outcome.reason);
    std::remove(path.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <tests/data folder>\n", argv[0]);
    return 2;
  }
  dataFolder = argv[1];
  // Large buffers always come from and go back to the system, so each child's peak is its own.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Header("Hostile input: IdentifyDocument + ConvertToTemplate (peak above an idle child of the same process)");
  for (const Case& c : HostileCases()) {
    std::string bytes = c.make();
    Outcome outcome;
    const auto run = [&] { outcome = Convert(bytes); };
    const double peak = PeakAbove(run);
    const double ms = MedianMs(run);
    Row(c.name, bytes.size(), ms, peak, outcome.converted ? "(accepted) " + outcome.reason : outcome.reason);
  }
  BigDocuments();
  return 0;
}
