// The stand-in's document formats on the fixtures of tests/data (see tests/data/make-fixtures).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "inflate.h"
#include "template_conversion.h"
#include "zip_package.h"

namespace standin {
namespace {

using enum DocumentKind;

std::string Fixture(const std::string& name) {
  std::ifstream file(std::string(QUILLORY_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

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

// The fixture as a template, which must read back as the kind expected.
std::string Convert(const std::string& fixture, int format, const char* extension, DocumentKind expected) {
  const std::string bytes = Fixture(fixture);
  std::string out, error;
  EXPECT_TRUE(ConvertToTemplate(bytes, Kind(bytes), format, extension, &out, &error)) << error;
  EXPECT_EQ(Kind(out), expected) << fixture << " as " << extension;
  return out;
}

TEST(StandinFormatsTest, TemplatesDifferFromTheirDocumentsOnlyInTheMainContentTypeOrTheFibFlag) {
  EXPECT_EQ(Kind(Fixture("macros.docm")), kXmlMacroDocument);  // report.docx with a macro project added
  auto expected = Unpack(Fixture("report.docx"));
  std::string& types = expected["[Content_Types].xml"];
  const std::string documentType = "wordprocessingml.document.main+xml";
  types.replace(types.find(documentType), documentType.size(), "wordprocessingml.template.main+xml");
  EXPECT_EQ(Unpack(Convert("report.docx", kFormatXmlTemplate, ".dotx", kXmlTemplate)), expected);
  EXPECT_EQ(Unpack(Convert("macros.docm", kFormatXmlTemplate, ".dotx", kXmlTemplate)), expected);  // macros left out
  auto dotm = Unpack(Convert("macros.docm", kFormatXmlTemplateMacroEnabled, ".dotm", kXmlMacroTemplate));
  EXPECT_EQ(dotm["word/vbaProject.bin"], Unpack(Fixture("macros.docm"))["word/vbaProject.bin"]);

  const std::string doc = Fixture("letter.doc");
  std::string dot = Convert("letter.doc", kFormatTemplate, ".dot", kBinaryTemplate);
  const size_t at = std::mismatch(doc.begin(), doc.end(), dot.begin(), dot.end()).first - doc.begin();
  ASSERT_TRUE(at >= 0x0A && at < doc.size() && dot.size() == doc.size());
  EXPECT_EQ(dot.substr(at - 0x0A, 2), "\xEC\xA5");  // the flags lie 0x0A bytes after the FIB's wIdent
  dot[at] ^= 0x01;                                  // fDot, their lowest bit
  EXPECT_EQ(dot, doc);
}

// password.doc is letter.doc with fEncrypted set; password.docx holds report.docx in the
// streams of an encrypted package. Neither is ever written as a template.
TEST(StandinFormatsTest, PasswordProtectedDocumentsAreRecognisedAndNeverConverted) {
  const std::string doc = Fixture("letter.doc"), locked = Fixture("password.doc"), package = Fixture("password.docx");
  const size_t at = std::mismatch(doc.begin(), doc.end(), locked.begin(), locked.end()).first - doc.begin();
  ASSERT_TRUE(at >= 0x0B && at < doc.size() && doc.substr(at + 1) == locked.substr(at + 1));
  EXPECT_EQ(doc.substr(at - 0x0B, 2), "\xEC\xA5");  // fEncrypted is bit 8 of the flags at FIB + 0x0A
  EXPECT_EQ(doc[at] ^ locked[at], 0x01);
  EXPECT_EQ(Kind(locked), kEncryptedBinary);
  EXPECT_EQ(Kind(package), kEncryptedPackage);
  for (const std::string& bytes : {locked, package}) {
    std::string out, error;
    EXPECT_FALSE(ConvertToTemplate(bytes, Kind(bytes), kFormatTemplate, ".dot", &out, &error));
    EXPECT_FALSE(ConvertToTemplate(bytes, Kind(bytes), kFormatXmlTemplate, ".dotx", &out, &error));
    EXPECT_NE(error.find("password"), std::string::npos) << error;
  }
  // Either stream alone is no encrypted package, and the file then is no document at all.
  for (const std::u16string_view name : {u"EncryptionInfo", u"EncryptedPackage"}) {
    std::string encoded, renamed = package, error;  // names are stored as UTF-16LE
    for (const char16_t c : name) encoded += {static_cast<char>(c), '\0'};
    ASSERT_NE(renamed.find(encoded), std::string::npos);
    renamed[renamed.find(encoded)] = 'X';
    DocumentKind kind{};
    EXPECT_FALSE(IdentifyDocument(renamed, &kind, &error));
    EXPECT_EQ(error, "it has no WordDocument stream");
  }
}

TEST(StandinFormatsTest, CutOrDamagedFilesAreRefusedWithAReasonAndInflateStopsAtItsOutputLimit) {
  // Read and converted? A refusal must say why. In a buffer of their own size, the sanitizer sees any over-read.
  const auto taken = [](const std::string& bytes) {
    const std::vector<char> copy(bytes.begin(), bytes.end());
    const std::string_view input(copy.data(), copy.size());
    DocumentKind kind{};
    std::string error, out;
    const bool read = IdentifyDocument(input, &kind, &error);
    const bool binary = kind == kBinaryDocument || kind == kBinaryTemplate;
    const bool taken = read && ConvertToTemplate(input, kind, binary ? kFormatTemplate : kFormatXmlTemplate,
                                                 binary ? ".dot" : ".dotx", &out, &error);
    EXPECT_TRUE(taken || !error.empty()) << "refused without a reason";
    return taken;
  };
  for (const char* name : {"letter.doc", "macros.docm", "password.docx"}) {
    const std::string whole = Fixture(name);
    // Every third byte of the first and last 512, where headers and directories lie; a sample between.
    for (size_t at = 0; at < whole.size(); at += at < 512 || at + 512 >= whole.size() ? 3 : 41) {
      EXPECT_FALSE(taken(whole.substr(0, at))) << name << " cut to " << at << " bytes";
      taken(whole.substr(0, at) + static_cast<char>(~whole[at]) + whole.substr(at + 1));  // one byte inverted
    }
  }
  EXPECT_FALSE(taken(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4096, '\xFF')));

  ZipPackage package;
  std::string error, out = "kept";
  ASSERT_TRUE(package.Read(Fixture("report.docx"), &error)) << error;
  const ZipEntry* entry = package.Find("word/numbering.xml");
  ASSERT_TRUE(entry && entry->method == 8);
  EXPECT_TRUE(Inflate(entry->compressed, &out, entry->uncompressedSize));  // the limit counts only new bytes
  EXPECT_EQ(out.size(), 4 + entry->uncompressedSize);
  for (size_t limit = entry->uncompressedSize - 1; limit > 0; limit = limit * 9 / 10) {
    out.clear();
    EXPECT_FALSE(Inflate(entry->compressed, &out, limit));
    ASSERT_LE(out.size(), limit);
  }
}

}  // namespace
}  // namespace standin
