#include "document_kind.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/little_endian.h"
#include "compound_file.h"
#include "word_fib.h"
#include "word_package.h"
#include "zip_package.h"

namespace standin {
namespace {

using quillory::ReadU16;

// A password-protected Open XML package is stored in a compound file with these streams.
constexpr std::u16string_view kEncryptionInfoStream = u"EncryptionInfo";
constexpr std::u16string_view kEncryptedPackageStream = u"EncryptedPackage";

constexpr std::string_view kOpenDocumentTextType = "application/vnd.oasis.opendocument.text";
constexpr std::string_view kTextExtensions[] = {".txt", ".text", ".htm", ".html"};

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

bool IdentifyCompoundFile(std::string_view bytes, DocumentKind* kind, std::string* error) {
  std::vector<std::u16string> streams;
  if (!ListStreams(bytes, &streams, error)) return false;
  const auto has = [&](std::u16string_view name) {
    return std::find(streams.begin(), streams.end(), name) != streams.end();
  };
  if (has(kEncryptionInfoStream) && has(kEncryptedPackageStream)) {
    *kind = DocumentKind::kEncryptedPackage;
    return true;
  }
  size_t fib = 0;
  if (!FindStreamStart(bytes, kWordDocumentStream, kFibFlagsOffset + 2, &fib, error)) return false;
  if (ReadU16(bytes, fib) != kFibIdent) {
    *error = "its WordDocument stream does not start with a Word file information block";
    return false;
  }
  const uint16_t flags = ReadU16(bytes, fib + kFibFlagsOffset);
  *kind = (flags & kFEncrypted) ? DocumentKind::kEncryptedBinary
          : (flags & kFDot)     ? DocumentKind::kBinaryTemplate
                                : DocumentKind::kBinaryDocument;
  return true;
}

DocumentKind PackageKind(std::string_view mainType) {
  return mainType == kDocumentMainType        ? DocumentKind::kXmlDocument
         : mainType == kMacroDocumentMainType ? DocumentKind::kXmlMacroDocument
         : mainType == kTemplateMainType      ? DocumentKind::kXmlTemplate
                                              : DocumentKind::kXmlMacroTemplate;
}

// An OpenDocument text (or its template) names itself in a stored "mimetype" entry.
bool IsOpenDocumentText(std::string_view bytes) {
  ZipPackage package;
  std::string error, type;
  if (!package.Read(bytes, &error)) return false;
  const ZipEntry* mimetype = package.Find("mimetype");
  return mimetype && mimetype->uncompressedSize < 256 && package.Contents(*mimetype, &type, &error) &&
         StartsWith(type, kOpenDocumentTextType);
}

}  // namespace

const char* KindName(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::kBinaryDocument: return "a binary Word document";
    case DocumentKind::kBinaryTemplate: return "a binary Word template";
    case DocumentKind::kXmlDocument: return "an Open XML document";
    case DocumentKind::kXmlMacroDocument: return "a macro-enabled Open XML document";
    case DocumentKind::kXmlTemplate: return "an Open XML template";
    case DocumentKind::kXmlMacroTemplate: return "a macro-enabled Open XML template";
    case DocumentKind::kEncryptedBinary: return "a password-protected binary Word document";
    case DocumentKind::kEncryptedPackage: return "a password-protected Open XML document";
    case DocumentKind::kRtfDocument: return "an RTF document";
    case DocumentKind::kOpenDocumentText: return "an OpenDocument text";
    case DocumentKind::kTextDocument: return "a text or web page document";
  }
  return "a document";
}

bool IdentifyDocument(std::string_view bytes, DocumentKind* kind, std::string* error) {
  if (bytes.size() >= 8 && bytes.substr(0, 4) == std::string_view("\xD0\xCF\x11\xE0", 4)) {
    return IdentifyCompoundFile(bytes, kind, error);
  }
  if (bytes.size() >= 4 && bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
    ZipPackage package;
    ContentTypes types;
    if (!ReadPackage(bytes, &package, &types, error)) return false;
    *kind = PackageKind(types.mainType);
    return true;
  }
  *error = "it is neither a binary Word document nor an Open XML package";
  return false;
}

bool IdentifyAnyDocument(std::string_view bytes, std::string_view extension, DocumentKind* kind,
                         std::string* error) {
  if (StartsWith(bytes, "{\\rtf")) {
    *kind = DocumentKind::kRtfDocument;
    return true;
  }
  std::string wordError;
  if (IdentifyDocument(bytes, kind, &wordError)) return true;
  if (StartsWith(bytes, "PK\x03\x04") && IsOpenDocumentText(bytes)) {
    *kind = DocumentKind::kOpenDocumentText;
    return true;
  }
  const bool wordContainer = StartsWith(bytes, "PK\x03\x04") || StartsWith(bytes, "\xD0\xCF\x11\xE0");
  for (std::string_view text : kTextExtensions) {
    if (extension == text && !wordContainer) {
      *kind = DocumentKind::kTextDocument;
      return true;
    }
  }
  *error = wordError;
  return false;
}

bool RefusedForItsPassword(DocumentKind kind, std::string* error) {
  if (!IsPasswordProtected(kind)) return false;
  *error = std::string("the stand-in cannot read ") + KindName(kind) + " without its password";
  return true;
}

bool IsBinary(DocumentKind kind) {
  return kind == DocumentKind::kBinaryDocument || kind == DocumentKind::kBinaryTemplate;
}

bool HasMacroProject(std::string_view bytes, DocumentKind kind) {
  return kind == DocumentKind::kXmlMacroDocument || kind == DocumentKind::kXmlMacroTemplate ||
         (IsBinary(kind) && HasStorage(bytes, u"Macros"));
}

bool IsWordKind(DocumentKind kind) {
  return kind != DocumentKind::kRtfDocument && kind != DocumentKind::kOpenDocumentText &&
         kind != DocumentKind::kTextDocument;
}

bool TemplateKindFor(int fileFormat, std::string_view targetExtension, DocumentKind* made, std::string* error) {
  const char* expected = fileFormat == kFormatTemplate                  ? ".dot"
                         : fileFormat == kFormatXmlTemplate             ? ".dotx"
                         : fileFormat == kFormatXmlTemplateMacroEnabled ? ".dotm"
                                                                        : nullptr;
  if (!expected) {
    *error = "FileFormat " + std::to_string(fileFormat) + " is not a template format the stand-in writes";
    return false;
  }
  if (targetExtension != expected) {
    *error = "FileFormat " + std::to_string(fileFormat) + " writes a " + expected +
             " file, which does not match the name's extension \"" + std::string(targetExtension) + "\"";
    return false;
  }
  *made = fileFormat == kFormatTemplate      ? DocumentKind::kBinaryTemplate
          : fileFormat == kFormatXmlTemplate ? DocumentKind::kXmlTemplate
                                             : DocumentKind::kXmlMacroTemplate;
  return true;
}

}  // namespace standin
