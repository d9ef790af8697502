// The stand-in's document formats on the fixtures of tests/data (see tests/data/make-fixtures).
#include "core_test.h"

#include "compatibility_mode.h"
#include "compound_file.h"
#include "engine_choice.h"
#include "hostile_bytes.h"
#include "inflate.h"
#include "template_making.h"
#include "word_package.h"
#include "zip_package.h"

namespace standin {
namespace {

using enum DocumentKind;
using hostile::Bomb;
using hostile::With;
using quillory::ReadU16;
using quillory::ReadU32;
using quillory::WriteU32;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Every entry of a package, decompressed and checked against its CRC.
std::map<std::string, std::string> Unpack(std::string_view archive) {
  ZipPackage package;
  std::string error;
  EXPECT_TRUE(package.Read(archive, &error)) << error;
  std::map<std::string, std::string> entries;
  for (const ZipEntry& e : package.Entries()) EXPECT_TRUE(package.Contents(e, &entries[e.name], &error)) << error;
  return entries;
}

DocumentKind Kind(std::string_view bytes) {
  DocumentKind kind{};
  std::string error;
  EXPECT_TRUE(IdentifyDocument(bytes, &kind, &error)) << error;
  return kind;
}

// The document as a template, which must read back as the kind expected.
std::string Convert(const std::string& bytes, DocumentKind expected = kXmlTemplate) {
  std::string out, error;
  EXPECT_TRUE(ConvertToTemplate(bytes, Kind(bytes), expected, &out, &error)) << error;
  EXPECT_EQ(Kind(out), expected) << KindName(expected);
  return out;
}

// Why the bytes are refused, which they must be, as read or as converted. In a buffer of its
// own size, so the sanitizer sees any read past the end.
std::string Refusal(std::string_view bytes) {
  const std::vector<char> copy(bytes.begin(), bytes.end());
  const std::string_view input(copy.data(), copy.size());
  DocumentKind kind{};
  std::string error, out;
  const bool read = IdentifyDocument(input, &kind, &error);
  const bool binary = kind == kBinaryDocument || kind == kBinaryTemplate;
  EXPECT_FALSE(read && ConvertToTemplate(input, kind, binary ? kBinaryTemplate : kXmlTemplate, &out, &error));
  EXPECT_FALSE(error.empty()) << "refused without a reason";
  return error;
}

// report.docx with these entries put in and this one taken out.
std::string Package(const std::map<std::string, std::string>& parts, std::string_view removed = {}) {
  ZipPackage package;
  std::string error;
  EXPECT_TRUE(package.Read(Fixture("report.docx"), &error)) << error;
  for (const auto& [name, bytes] : parts) package.Put(name, bytes);
  package.Remove(removed);
  return package.Write();
}

// letter.doc with its directory entry `id` renamed and given a type (1 a storage, 2 a stream)
// and a child. Its directory is sector 15, its tree: the root's child 1; 1 has 2 on its left and
// 4 on its right; 2 has 3 on its right; 4 has 5 and 6.
constexpr size_t kLetterDirectory = 16 * 512;
std::string Entry(std::string file, size_t id, std::u16string_view name, uint32_t type, uint32_t child = 0xFFFFFFFF) {
  const size_t at = kLetterDirectory + 128 * id;
  for (size_t i = 0; i < 32; ++i) {
    const char16_t c = i < name.size() ? name[i] : u'\0';
    file[at + 2 * i] = static_cast<char>(c & 0xFF), file[at + 2 * i + 1] = static_cast<char>(c >> 8);
  }
  file = With(file, at + 0x40, static_cast<uint32_t>(name.size() + 1) * 2 | type << 16 | 1u << 24);  // black
  return With(file, at + 0x4C, child);
}

// Where an entry's directory record lies (the last copy of its name comes there).
size_t Record(std::string_view archive, std::string_view name) { return archive.rfind(name) - 46; }

// Every local and directory record's flags, which lie 6 and 8 bytes after their signatures.
std::vector<size_t> FlagFields(std::string_view archive) {
  std::vector<size_t> fields;
  for (const auto& [signature, offset] : {std::pair{std::string_view("PK\x03\x04", 4), 6}, {{"PK\x01\x02", 4}, 8}}) {
    for (size_t at = archive.find(signature); at != std::string::npos; at = archive.find(signature, at + 1)) {
      fields.push_back(at + offset);
    }
  }
  return fields;
}

TEST(StandinFormatsTest, TemplatesDifferFromTheirDocumentsOnlyInTheMainContentTypeOrTheFibFlag) {
  EXPECT_EQ(Kind(Fixture("macros.docm")), kXmlMacroDocument);  // report.docx with a macro project added
  // A macro project: a macro-enabled package's, or a binary document's "Macros" storage; never a
  // plain document's.
  const std::string macroDoc = Entry(Fixture("letter.doc"), 2, u"Macros", 1);
  EXPECT_TRUE(HasMacroProject(Fixture("macros.docm"), kXmlMacroDocument) && HasMacroProject(macroDoc, Kind(macroDoc)));
  EXPECT_FALSE(HasMacroProject(Fixture("letter.doc"), kBinaryDocument) || HasMacroProject(macroDoc, kXmlDocument));
  auto expected = Unpack(Fixture("report.docx"));
  std::string& types = expected["[Content_Types].xml"];
  const std::string documentType = "wordprocessingml.document.main+xml";
  types.replace(types.find(documentType), documentType.size(), "wordprocessingml.template.main+xml");
  EXPECT_EQ(Unpack(Convert(Fixture("report.docx"))), expected);
  EXPECT_EQ(Unpack(Convert(Fixture("macros.docm"))), expected);  // macros left out
  auto dotm = Unpack(Convert(Fixture("macros.docm"), kXmlMacroTemplate));
  EXPECT_EQ(dotm["word/vbaProject.bin"], Unpack(Fixture("macros.docm"))["word/vbaProject.bin"]);
  // The macro project typed by a Default (of any case) instead of an Override: it goes, a part of
  // its extension with an Override of its own stays, and so do the root's relationships, even
  // when a macro type names no part.
  auto parts = Unpack(Fixture("macros.docm"));
  std::string& macroTypes = parts["[Content_Types].xml"];
  const std::string override = "<Override PartName=\"/word/vbaProject.bin\"";
  macroTypes.replace(macroTypes.find(override), override.size(), "<Default Extension=\"BIN\"");
  macroTypes.insert(macroTypes.find("<Default"), "<Override PartName=\"\" ContentType=\"application/vnd.ms-office.vbaProject\"/>"
                    "<Override PartName=\"/keep.bin\" ContentType=\"image/png\"/>");
  parts["keep.bin"] = expected["keep.bin"] = "png";
  auto converted = Unpack(Convert(Package(parts)));
  EXPECT_EQ(converted["[Content_Types].xml"].find("vbaProject"), std::string::npos);
  converted.erase("[Content_Types].xml");
  expected.erase("[Content_Types].xml");
  EXPECT_EQ(converted, expected);

  // An embedded object's WordDocument is not the document's: "\1Ole" made the storage ObjectPool
  // holding "1Table" renamed WordDocument.
  const std::string doc = Entry(Entry(With(Fixture("letter.doc"), kLetterDirectory + 128 * 2 + 0x48, 0xFFFFFFFF), 2,
                                      u"ObjectPool", 1, 3), 3, u"WordDocument", 2);
  std::string dot = Convert(doc, kBinaryTemplate);
  const size_t at = std::mismatch(doc.begin(), doc.end(), dot.begin(), dot.end()).first - doc.begin();
  ASSERT_TRUE(at >= 0x0A && at < doc.size() && dot.size() == doc.size());
  EXPECT_EQ(dot.substr(at - 0x0A, 2), "\xEC\xA5");  // the flags lie 0x0A bytes after the FIB's wIdent
  dot[at] ^= 0x01;                                  // fDot, their lowest bit
  EXPECT_EQ(dot, doc);
}

// password.doc is letter.doc with fEncrypted set; password.docx holds report.docx in the
// streams of an encrypted package: either stream alone is no encrypted package, and the file
// then is no document at all. In a package each entry owns its bytes, under one name, as both
// its records describe it; declared sizes are weighed before anything is unpacked (the read-back
// check unpacks every entry); and a template is read back before it is given out. letter.doc
// has 512-byte sectors, its FAT in sector 0 (header field 0x4C) and its directory in 15.
TEST(StandinFormatsTest, DamagedDocumentsAreRefusedWithTheirReason) {
  const std::string locked = Fixture("password.doc"), package = Fixture("password.docx");
  EXPECT_EQ(Kind(locked), kEncryptedBinary);
  EXPECT_EQ(Kind(package), kEncryptedPackage);
  std::vector<std::pair<std::string, std::string>> cases;
  for (const std::u16string_view name : {u"EncryptionInfo", u"EncryptedPackage"}) {
    std::string encoded, renamed = package;  // names are stored as UTF-16LE
    for (const char16_t c : name) encoded += {static_cast<char>(c), '\0'};
    renamed[renamed.find(encoded)] = 'X';
    cases.emplace_back(renamed, "it has no WordDocument stream");
  }
  const std::string two = Package({{"first.xml", std::string(1000, 'x')}, {"other.xml", "y"}});
  const size_t first = Record(two, "first.xml"), other = Record(two, "other.xml"), end = two.size() - 22;
  const size_t otherLocal = ReadU32(two, other + 42);
  std::string twice = two, renamed = two;
  for (size_t at = twice.find("other"); at != std::string::npos; at = twice.find("other")) twice.replace(at, 5, "first");
  renamed.replace(renamed.find("other"), 5, "OTHER");  // in the local header only
  const std::string doc = Fixture("letter.doc") + std::string(4u << 20, '\0');  // room for 64 FAT sectors
  std::string same = With(doc, 0x2C, 64);  // the one FAT sector named 64 times: 64 copies of the table were read
  for (size_t i = 1; i < 64; ++i) WriteU32(same, 0x4C + 4 * i, 0);
  cases.insert(cases.end(), {
      {With(two, end + 8, 0xFFFFFFFFu), "zip64"},  // the entry counts
      {With(two, end + 12, 0x7FFFFFF0u), "lies outside the file"},
      {With(two, other + 20, 0x7FFFFFF0u), "\"other.xml\" is cut short"},
      {With(two, first + 20, ReadU32(two, first + 20) + 1), "share their data"},  // into the next header
      {twice, "\"first.xml\" comes twice"},
      {renamed, "disagrees"},
      {With(two, otherLocal + 8, 0), "disagrees"},  // the local method
      {With(With(two, other + 10, 0), otherLocal + 8, 0), "stored with two different sizes"},
      {With(two, other + 24, 0x7FFFFFFF), "would unpack to 2048 MB"},
      {With(two, Record(two, "[Content_Types].xml") + 24, 9u << 20), "[Content_Types].xml is larger"},
      // A size within the budget but wrong: the document's own entry is named as damaged.
      {With(two, other + 24, 2), "the document is damaged: the entry \"other.xml\" fails its checksum"},
      // A CRC in the directory that the entry, copied unchanged, does not match.
      {With(two, Record(two, "word/styles.xml") + 16, 0), "\"word/styles.xml\" fails its checksum"},
      {Package({}, "word/document.xml"), "main part \"word/document.xml\" is missing"},
      {Package({}, "_rels/.rels"), "root relationships \"_rels/.rels\" are missing"},
      {With(doc, 0x2C, 0xFFFFFFFFu), "the sector table is larger than the file"},
      {same, "the sector table is damaged"},
      {With(doc, 512 + 4 * 15, 15), "the directory is damaged"}});  // its sector follows itself
  for (const auto& [bytes, reason] : cases) EXPECT_THAT(Refusal(bytes), HasSubstr(reason));
}

// Word 6.0/95 by its information block (to LibreOffice), Word 2.0 by its first bytes and rights
// management by its \006DataSpaces storage (both refused); an embedded object's WordDocument is
// not the document's (in the first test).
TEST(StandinFormatsTest, OlderWordRightsManagedAndEmbeddedDocumentsAreToldApart) {
  const std::string doc = Fixture("letter.doc");
  size_t fib = 0;
  std::string error;
  ASSERT_TRUE(FindStreamStart(doc, u"WordDocument", 12, &fib, &error)) << error;
  std::string word6 = doc;
  word6[fib] = '\xDC';  // wIdent 0xA5DC
  const struct { std::string bytes; DocumentKind kind; std::string refusal; } cases[] = {
      {word6, kWord6Document, ""},
      {std::string("\xDB\xA5-\0", 4) + std::string(1000, 'x'), kBlockedWord, "Word for Windows 2.0 document or older"},
      {Entry(doc, 2, u"\u0006DataSpaces", 1), kRightsManaged, kRightsManagedText},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Kind(c.bytes), c.kind) << KindName(c.kind);
    EngineChoice choice;
    const bool toOffice = ChooseEngine(c.kind, kFormatXmlTemplate, ".dotx", &choice, &error);
    EXPECT_THAT(toOffice ? NeedsLibreOffice(choice) : error, HasSubstr(toOffice ? "a Word 6.0/95 document" : c.refusal));
    EXPECT_EQ(toOffice && choice.engine == Engine::kLibreOffice, c.refusal.empty());
  }
}

// Copied entries keep their flags but for the data descriptor's, which is not written; a
// changed one keeps its time, date and UTF-8 name flag. A stored entry needs version 1.0.
TEST(StandinFormatsTest, WrittenRecordsSayWhatFollows) {
  std::string doc = Package({{"s.bin", "stored"}});
  const size_t stored = Record(doc, "s.bin"), storedLocal = ReadU32(doc, stored + 42);
  const std::string data = doc.substr(storedLocal + 35, ReadU32(doc, stored + 20));  // its deflated bytes, stored
  for (const size_t at : {stored + 10, storedLocal + 8}) WriteU32(doc, at, 0);  // method and time
  WriteU32(doc, stored + 16, Crc32(data));
  WriteU32(doc, stored + 24, static_cast<uint32_t>(data.size()));
  for (const size_t at : FlagFields(doc)) doc[at] |= 0x0F;
  const std::string types = "[Content_Types].xml";
  std::string out = Convert(doc);
  ASSERT_FALSE(out.empty());
  for (const auto& [name, bytes] : Unpack(out)) {
    const uint16_t was = ReadU16(doc, Record(doc, name) + 8), flags = name == types ? was & 0x0800 : was & ~8;
    EXPECT_EQ(ReadU16(out, Record(out, name) + 8), flags) << name;
    EXPECT_EQ(ReadU16(out, ReadU32(out, Record(out, name) + 42) + 6), flags) << name;
  }
  EXPECT_EQ(ReadU32(out, Record(out, types) + 12), ReadU32(doc, Record(doc, types) + 12));  // time and date
  EXPECT_EQ(ReadU16(out, Record(out, "s.bin") + 6), 10);
  EXPECT_EQ(Unpack(out)["s.bin"], data);
  EXPECT_EQ(ReadU16(out, out.size() - 22 + 8), ReadU16(out, out.size() - 22 + 10));  // entries on this disk, in all
  // A template comes back as it was, data-descriptor flags and all.
  for (const size_t at : FlagFields(out)) out[at] |= 0x08;
  EXPECT_EQ(Convert(out), out);
}

TEST(StandinFormatsTest, DecompressionStopsAtTheDeclaredSizeAndAnAbsoluteLimit) {
  ZipEntry entry{.name = "bomb.xml", .method = 8, .compressed = Bomb(kMaxEntrySize + 1000)};  // about 400 KB
  std::string out, error;
  for (const uint32_t declared : {1000u, kMaxEntrySize + 1000}) {
    entry.uncompressedSize = declared;
    EXPECT_FALSE(ZipPackage().Contents(entry, &out, &error));
    EXPECT_LE(out.size(), 1000u);
    EXPECT_NE(error.find("bomb.xml"), std::string::npos);
  }
  entry.compressed = Bomb(100000);  // an honest entry inflates
  entry.uncompressedSize = static_cast<uint32_t>(hostile::BombOutput(100000));
  entry.crc = Crc32(std::string(entry.uncompressedSize, 'a'));
  EXPECT_TRUE(ZipPackage().Contents(entry, &out, &error)) << error;

  const std::string plain = Fixture("letter.doc"), packed = Deflate(plain);
  out = "kept";  // the limit counts only new bytes
  EXPECT_TRUE(Inflate(packed, &out, plain.size()));
  EXPECT_EQ(out, "kept" + plain);
  for (size_t limit = plain.size() - 1; limit > 0; limit = limit * 9 / 10) {
    out.clear();
    EXPECT_FALSE(Inflate(packed, &out, limit));
    ASSERT_LE(out.size(), limit);
  }
}

TEST(StandinFormatsTest, PackagePartsAreReadAsXmlAndOnlyTheMainTypeAndTheMacrosChange) {
  const std::string main = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
  const auto refusal = [](const std::string& types) { return Refusal(Package({{"[Content_Types].xml", types}})); };
  // Malformed content types are refused with the reader's reason; 20,000 unclosed tags once
  // took minutes to scan.
  std::string unclosed = "<Types>";
  for (int i = 0; i < 20000; ++i) unclosed += "<Override ";
  EXPECT_THAT(refusal(unclosed), AllOf(StartsWith("the package's [Content_Types].xml is not well-formed XML: "), HasSubstr("other than")));
  EXPECT_EQ(refusal("<Relationships/>"), "the package's [Content_Types].xml has no Types root element");

  // The main type written with a character reference and an attribute that holds another
  // tag; Overrides in a comment and in another element that could be taken for the main part
  // or a macro part; 5,000 macro parts and a macro Default to leave out.
  std::map<std::string, std::string> parts = Unpack(Fixture("report.docx"));
  const std::string mainTag = "<Override PartName=\"/word/document.xml\" ContentType=\"" + main + "\"/>";
  std::string& types = parts["[Content_Types].xml"];
  ASSERT_NE(types.find(mainTag), std::string::npos);
  std::string written = main;
  written.replace(written.find('+'), 1, "&#x2B;");
  types.replace(types.find(mainTag), mainTag.size(),
                "<Override Note=' ContentType=\"x\"' PartName=\"/word/document.xml\" ContentType=\"" + written + "\"/>");
  const std::string decoys = "<Override PartName=\"/gone.xml\" ContentType=\"" + main +
                             "\"/><Override PartName=\"/m.bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
  types.insert(types.find("<Default"), "<!-- " + decoys + " --><Extra>" + decoys + "</Extra>");
  std::string expected = types;
  expected.replace(expected.find(written), written.size(), kTemplateMainType);
  std::string macros = "<Default Extension=\"bin\" ContentType='application/vnd.ms-office.vbaProject'/>";
  for (int i = 0; i < 5000; ++i) {
    macros += "<Override PartName=\"/m" + std::to_string(i) + "\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
  }
  types.insert(types.find("<Default"), macros);
  // The main part's relationships: only the one whose type ends in /vbaProject goes.
  std::string& rels = parts["word/_rels/document.xml.rels"];
  const std::string kept = "<!-- <Relationship Type=\"x/vbaProject\"/> --><Relationship Id=\"a\" Type=\"x/vbaProjectSignature\" Target=\"a\"/>";
  rels.insert(rels.rfind("</Relationships>"), kept);
  const std::string expectedRels = rels;
  rels.insert(rels.rfind("</Relationships>"), "<Relationship Id=\"b\" Type=\"x&#47;vbaProject\" Target=\"b\"/>");

  const std::string out = Convert(Package(parts));
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[out.rfind("[Content_Types].xml") - 46 + 10], 8);  // changed parts are stored deflated
  const auto converted = Unpack(out);
  EXPECT_EQ(converted.at("[Content_Types].xml"), expected);
  EXPECT_EQ(converted.at("word/_rels/document.xml.rels"), expectedRels);
}

// Modes as recorded: the setting's value in place, a compat element written as one tag or
// missing, no settings part; after conversion the setting reads 15 and nothing else moved.
TEST(StandinFormatsTest, CompatibilityModeIsReadFromTheSettingsAndConversionRecordsTheCurrentOne) {
  EXPECT_EQ(CompatibilityMode(Fixture("letter.doc"), kBinaryDocument), 11);
  EXPECT_EQ(CompatibilityMode("{\\rtf1 x}", kRtfDocument), 15);
  const std::string settings = Unpack(Fixture("report.docx"))["word/settings.xml"];
  const std::string setting = settings.substr(settings.find("<w:compat>"), settings.find("</w:compat>") + 11 - settings.find("<w:compat>"));
  std::string old = settings;
  old.replace(old.find("w:val=\"15\""), 10, "w:val=\"14\"");
  for (const auto& [text, mode] : std::vector<std::pair<std::string, int>>{
           {old, 14}, {std::string(settings).replace(settings.find(setting), setting.size(), "<w:compat/>"), 12},
           {std::string(settings).replace(settings.find(setting), setting.size(), ""), 12}}) {
    const std::string package = Package({{"word/settings.xml", text}});
    EXPECT_EQ(CompatibilityMode(package, kXmlDocument), mode);
    std::string upgraded, error;
    ASSERT_TRUE(WithCurrentCompatibilityMode(package, &upgraded, &error)) << error;
    EXPECT_EQ(CompatibilityMode(upgraded, kXmlDocument), 15);
    auto parts = Unpack(upgraded), before = Unpack(package);
    EXPECT_EQ(parts["word/settings.xml"], mode == 14 ? settings : parts["word/settings.xml"]);
    parts.erase("word/settings.xml"), before.erase("word/settings.xml");
    EXPECT_EQ(parts, before);
  }
  std::string upgraded, error;
  const std::string unset = Package({{"word/_rels/document.xml.rels", "<Relationships/>"}});
  EXPECT_EQ(CompatibilityMode(unset, kXmlDocument), 12);
  EXPECT_FALSE(WithCurrentCompatibilityMode(unset, &upgraded, &error));
  EXPECT_THAT(error, HasSubstr("no settings part"));
}

struct Stream { std::u16string name; uint32_t size, sizeHigh = 0; };  // an ASCII name; sizes as its entry declares

// A compound file of 2^shift-byte sectors: the FAT in sector 0, the directory in 1 (the root,
// its mini stream in sector 2, then the streams, each the right sibling of the one before), each stream's data from sector 2 on in a
// chain of its own; `fatSectors` - 1 more FAT sectors, all free, at the end of a file long
// enough to need them, those past the header's 109 listed in DIFAT sectors.
std::string Compound(uint32_t shift, const std::vector<Stream>& streams, uint32_t fatSectors = 1) {
  const size_t sector = size_t{1} << shift, perSector = sector / 4;
  std::string file(sector * 3, '\0');
  file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  for (const auto& [at, value] : std::vector<std::pair<size_t, uint32_t>>{
           {0x1C, 0xFFFE | shift << 16}, {0x20, 6}, {0x2C, fatSectors}, {0x30, 1}, {0x38, 4096}, {0x44, 0xFFFFFFFE}}) {
    WriteU32(file, at, value);
  }
  std::vector<uint32_t> fat = {0xFFFFFFFD, 0xFFFFFFFE}, fatList = {0};
  WriteU32(file, 2 * sector + 0x40, 5u << 16);
  WriteU32(file, 2 * sector + 0x74, 2);
  for (const uint32_t at : {0x44u, 0x48u}) WriteU32(file, 2 * sector + at, 0xFFFFFFFF);
  WriteU32(file, 2 * sector + 0x4C, streams.empty() ? 0xFFFFFFFF : 1);
  for (size_t i = 0; i < streams.size(); ++i) {
    const size_t entry = 2 * sector + 128 * (i + 1), sectors = std::max<size_t>(1, (streams[i].size + sector - 1) / sector);
    for (size_t c = 0; c < streams[i].name.size(); ++c) file[entry + 2 * c] = static_cast<char>(streams[i].name[c]);
    WriteU32(file, entry + 0x40, static_cast<uint32_t>(streams[i].name.size() + 1) * 2 | 2u << 16);
    WriteU32(file, entry + 0x74, static_cast<uint32_t>(fat.size()));
    WriteU32(file, entry + 0x78, streams[i].size);
    WriteU32(file, entry + 0x7C, streams[i].sizeHigh);
    WriteU32(file, entry + 0x44, 0xFFFFFFFF);
    WriteU32(file, entry + 0x48, i + 1 < streams.size() ? static_cast<uint32_t>(i + 2) : 0xFFFFFFFF);
    WriteU32(file, entry + 0x4C, 0xFFFFFFFF);
    for (size_t k = 0; k < sectors; ++k) fat.push_back(k + 1 < sectors ? static_cast<uint32_t>(fat.size() + 1) : 0xFFFFFFFE);
    file.append(sectors * sector, 'W');
  }
  for (size_t i = 0; i < perSector; ++i) WriteU32(file, sector + 4 * i, i < fat.size() ? fat[i] : 0xFFFFFFFF);
  const size_t difatSectors = fatSectors > 109 ? (fatSectors - 109 + perSector - 2) / (perSector - 1) : 0;
  const size_t padding = fatSectors > 1 ? (fatSectors - 1) * perSector + 1 - fat.size() - (fatSectors - 1) - difatSectors : 0;
  file.append(padding * sector, '\0');
  for (uint32_t i = 1; i < fatSectors; ++i) fatList.push_back(static_cast<uint32_t>(file.size() / sector - 2 + i));
  file.append((fatSectors - 1 + difatSectors) * sector, '\xFF');
  for (size_t i = 0; i < 109; ++i) WriteU32(file, 0x4C + 4 * i, i < fatList.size() ? fatList[i] : 0xFFFFFFFF);
  for (size_t d = 0, next = 0x44, k = 109; d < difatSectors; ++d) {
    const size_t index = fatList.back() + 1 + d, base = (index + 1) * sector;
    WriteU32(file, next, static_cast<uint32_t>(index));
    for (size_t j = 0; j + 1 < perSector && k < fatList.size(); ++j) WriteU32(file, base + 4 * j, fatList[k++]);
    next = base + 4 * (perSector - 1);
    WriteU32(file, next, 0xFFFFFFFE);
  }
  return file;
}

// Sectors of 512 or 4096 bytes; a FAT of more sectors than the header lists; a stream found by
// its whole name (the first of two), in regular sectors from 4096 bytes on and in the mini
// stream below, its size's high half counted only with 4096-byte sectors.
TEST(StandinFormatsTest, StreamsAreFoundWhereTheirEntriesSay) {
  const std::u16string longest(31, u'L');  // 64 bytes with its NUL
  using Case = std::tuple<uint32_t, std::vector<Stream>, uint32_t, std::u16string, size_t>;  // shift, streams, FAT, name, offset
  for (const auto& [shift, streams, fatSectors, name, offset] : std::vector<Case>{
           {12, {{u"WordDocument", 5000}}, 1, u"WordDocument", 3 * 4096},
           {9, {{u"WordDocument", 4096}}, 1, u"WordDocument", 3 * 512},
           {9, {{u"WordDocument", 100, 1}}, 1, u"WordDocument", 3 * 512 + 2 * 64},  // its mini sector 2
           {9, {{u"WordDocument", 5000}, {u"WordDocument", 5000}}, 1, u"WordDocument", 3 * 512},
           {9, {{u"x", 1}, {longest, 5000}}, 1, longest, 4 * 512},
           {9, {{u"WordDocument", 5000}}, 237, u"WordDocument", 3 * 512}}) {
    size_t found = 0;
    std::string error;
    EXPECT_TRUE(FindStreamStart(Compound(shift, streams, fatSectors), name, 12, &found, &error)) << error;
    EXPECT_EQ(found, offset) << shift << " " << fatSectors;
  }
}

}  // namespace
}  // namespace standin
