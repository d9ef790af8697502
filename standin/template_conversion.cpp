#include "template_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "common/ascii.h"
#include "common/little_endian.h"
#include "compound_file.h"
#include "xml_reader.h"
#include "zip_package.h"

namespace standin {
namespace {

using quillory::LowerAscii;
using quillory::ReadU16;

constexpr char kDocumentMainType[] =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
constexpr char kMacroDocumentMainType[] = "application/vnd.ms-word.document.macroEnabled.main+xml";
constexpr char kMacroTemplateMainType[] =
    "application/vnd.ms-word.template.macroEnabledTemplate.main+xml";

// Parts that carry macros, by content type, and the relationship types that point at them.
constexpr std::array<std::string_view, 4> kMacroPartTypes = {
    "application/vnd.ms-office.vbaProject", "application/vnd.ms-word.vbaData+xml",
    "application/vnd.ms-word.keyMapCustomizations+xml", "application/vnd.ms-word.attachedToolbars"};
constexpr std::array<std::string_view, 4> kMacroRelationshipEndings = {
    "/vbaProject", "/wordVbaData", "/keyMapCustomizations", "/attachedToolbars"};

constexpr std::u16string_view kWordDocumentStream = u"WordDocument";
constexpr uint16_t kFibIdent = 0xA5EC;
constexpr size_t kFibFlagsOffset = 0x0A;
constexpr uint16_t kFDot = 0x0001;
constexpr uint16_t kFEncrypted = 0x0100;
// A password-protected Open XML package is stored in a compound file with these streams.
constexpr std::u16string_view kEncryptionInfoStream = u"EncryptionInfo";
constexpr std::u16string_view kEncryptedPackageStream = u"EncryptedPackage";

// The content types and relationships of real documents are a few kilobytes; larger ones are
// refused before they are unpacked.
constexpr uint32_t kMaxXmlPartSize = 8u << 20;
// A whole package may unpack to this many times its own size, or to one entry's limit when
// that is more: real documents stay far below, and the read-back check, which unpacks every
// entry, then costs time in step with the file.
constexpr uint64_t kMaxUnpackRatio = 100;

// An XML part's text, refused unread when it is larger than any real one.
bool XmlPartText(const ZipPackage& package, const ZipEntry& entry, std::string* text, std::string* error) {
  if (entry.uncompressedSize > kMaxXmlPartSize) {
    *error = "the package's " + entry.name + " is larger than the stand-in reads (" +
             std::to_string(entry.uncompressedSize >> 20) + " MB)";
    return false;
  }
  return package.Contents(entry, text, error);
}

bool IsMacroPartType(std::string_view type) {
  return std::find(kMacroPartTypes.begin(), kMacroPartTypes.end(), type) != kMacroPartTypes.end();
}

bool IsMacroRelationship(std::string_view type) {
  return std::any_of(kMacroRelationshipEndings.begin(), kMacroRelationshipEndings.end(),
                     [&](std::string_view ending) { return type.ends_with(ending); });
}

// A part of the package read as XML, whose root must have this local name.
bool ReadPart(std::string_view name, std::string_view text, std::string_view root, XmlDocument* xml,
              std::string* error) {
  std::string why;
  if (!ReadXml(text, xml, &why)) {
    *error = "the package's " + std::string(name) + " is not well-formed XML: " + why;
    return false;
  }
  if (LocalName(xml->elements.front().name) != root) {
    *error = "the package's " + std::string(name) + " has no " + std::string(root) + " root element";
    return false;
  }
  return true;
}

// Whether the element is a child of the root with that local name; prefixes are not compared.
bool IsRootChild(const XmlElement& element, std::string_view name) {
  return element.parent == 0 && LocalName(element.name) == name;
}

// A part's zip entry name: its part name without the leading '/'.
std::string EntryName(std::string_view partName) {
  if (!partName.empty() && partName[0] == '/') partName.remove_prefix(1);
  return std::string(partName);
}

// The entry holding a part's relationships: "_rels/<name>.rels" in the part's folder.
std::string RelationshipsName(std::string_view entry) {
  const size_t slash = entry.rfind('/');
  const size_t name = slash == std::string_view::npos ? 0 : slash + 1;
  return std::string(entry.substr(0, name)) + "_rels/" + std::string(entry.substr(name)) + ".rels";
}

// An entry name's extension after its last dot, as a Default names it.
std::string LowerExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos) return {};
  return LowerAscii(name.substr(dot + 1));
}

struct Edit {
  XmlRange range;
  std::string text;
};

// The text with each range replaced, the ranges in order and apart.
std::string Edited(std::string_view text, const std::vector<Edit>& edits) {
  std::string result;
  size_t kept = 0;
  for (const Edit& edit : edits) {
    result.append(text, kept, edit.range.begin - kept).append(edit.text);
    kept = edit.range.end;
  }
  result.append(text, kept);
  return result;
}

// [Content_Types].xml as read, and the first Override naming a Word main part: the index of
// that element and the kind of document it makes. Kept in place: the document's views point
// into the text.
struct ContentTypes {
  std::string text;
  XmlDocument xml;
  size_t main = 0;
  DocumentKind kind{};
};

bool FindMainPart(ContentTypes* types, std::string* error) {
  for (size_t i = 0; i < types->xml.elements.size(); ++i) {
    const XmlElement& e = types->xml.elements[i];
    if (!IsRootChild(e, "Override")) continue;
    const std::string_view type = types->xml.AttributeValue(e, "ContentType");
    if (type == kDocumentMainType) types->kind = DocumentKind::kXmlDocument;
    else if (type == kMacroDocumentMainType) types->kind = DocumentKind::kXmlMacroDocument;
    else if (type == kTemplateMainType) types->kind = DocumentKind::kXmlTemplate;
    else if (type == kMacroTemplateMainType) types->kind = DocumentKind::kXmlMacroTemplate;
    else continue;
    types->main = i;
    return true;
  }
  *error = "the package has no Word main part";
  return false;
}

bool ReadPackage(std::string_view bytes, ZipPackage* package, ContentTypes* types, std::string* error) {
  if (!package->Read(bytes, error)) return false;
  uint64_t unpacked = 0;
  for (const ZipEntry& entry : package->Entries()) unpacked += entry.uncompressedSize;
  if (unpacked > std::max<uint64_t>(kMaxEntrySize, kMaxUnpackRatio * bytes.size())) {
    *error = "it would unpack to " + std::to_string(unpacked >> 20) + " MB, more than " +
             std::to_string(kMaxUnpackRatio) + " times its size";
    return false;
  }
  const ZipEntry* entry = package->Find("[Content_Types].xml");
  if (!entry) {
    *error = "the package has no [Content_Types].xml";
    return false;
  }
  return XmlPartText(*package, *entry, &types->text, error) &&
         ReadPart("[Content_Types].xml", types->text, "Types", &types->xml, error) && FindMainPart(types, error);
}

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

bool ToBinaryTemplate(std::string_view bytes, std::string* out, std::string* error) {
  size_t fib = 0;
  if (!FindStreamStart(bytes, kWordDocumentStream, kFibFlagsOffset + 2, &fib, error)) return false;
  *out = std::string(bytes);
  char& lowFlags = (*out)[fib + kFibFlagsOffset];  // fDot lies in the flags' low byte
  lowFlags = static_cast<char>(static_cast<uint8_t>(lowFlags) | kFDot);
  return true;
}

bool ToXmlTemplate(std::string_view bytes, bool keepMacros, std::string* out, std::string* error) {
  ZipPackage package;
  ContentTypes types;
  if (!ReadPackage(bytes, &package, &types, error)) return false;
  const XmlDocument& xml = types.xml;
  const XmlElement& main = xml.elements[types.main];
  const std::string mainPart = EntryName(xml.AttributeValue(main, "PartName"));

  // The main part's own ContentType value changes in place. Without macros, the macro parts,
  // their own relationships, their content types and the main part's relationships to them
  // all go. A macro Default makes a macro part of every part with its extension and no
  // Override: left in, such a part would have no content type.
  std::vector<Edit> edits;
  std::set<std::string, std::less<>> overridden, macroParts, macroExtensions;
  for (const XmlElement& e : xml.elements) {
    const bool isOverride = IsRootChild(e, "Override");
    if (!isOverride && !IsRootChild(e, "Default")) continue;
    const std::string part = EntryName(xml.AttributeValue(e, "PartName"));
    if (isOverride) overridden.insert(part);
    if (&e == &main) {
      edits.push_back({xml.FindAttribute(e, "ContentType")->raw,
                       EscapeXml(keepMacros ? kMacroTemplateMainType : kTemplateMainType)});
      continue;
    }
    if (keepMacros || !IsMacroPartType(xml.AttributeValue(e, "ContentType"))) continue;
    edits.push_back({e.range, ""});
    if (!isOverride) macroExtensions.insert(LowerAscii(xml.AttributeValue(e, "Extension")));
    else if (!part.empty()) macroParts.insert(part);  // an empty name would make the root's relationships a macro's
  }
  const std::string contentTypes = Edited(types.text, edits);

  if (!keepMacros) {
    for (const ZipEntry& entry : package.Entries()) {
      if (!overridden.contains(entry.name) && macroExtensions.contains(LowerExtension(entry.name))) {
        macroParts.insert(entry.name);
      }
    }
    for (const std::string& part : std::set<std::string, std::less<>>(macroParts)) macroParts.insert(RelationshipsName(part));
    package.Remove(macroParts);
    const std::string relsName = RelationshipsName(mainPart);
    if (const ZipEntry* rels = package.Find(relsName)) {
      std::string relationships;
      XmlDocument relationshipsXml;
      if (!XmlPartText(package, *rels, &relationships, error) ||
          !ReadPart(relsName, relationships, "Relationships", &relationshipsXml, error)) {
        return false;
      }
      std::vector<Edit> cuts;
      for (const XmlElement& e : relationshipsXml.elements) {
        if (IsRootChild(e, "Relationship") && IsMacroRelationship(relationshipsXml.AttributeValue(e, "Type"))) {
          cuts.push_back({e.range, ""});
        }
      }
      if (!cuts.empty()) package.Put(relsName, Edited(relationships, cuts));
    }
  }
  package.Put("[Content_Types].xml", contentTypes);
  *out = package.Write();
  return true;
}

// A package whose every entry decompresses to its size and CRC and that holds its main part
// and its root relationships (which lead Word to the main part).
// `damagedEntry` tells that an entry failed: the parts the conversion writes are made afresh,
// so such an entry came as it is from the document.
bool CheckPackage(std::string_view bytes, std::string* error, bool* damagedEntry) {
  ZipPackage package;
  ContentTypes types;
  if (!ReadPackage(bytes, &package, &types, error)) return false;
  for (const ZipEntry& entry : package.Entries()) {
    std::string contents;
    if (!package.Contents(entry, &contents, error)) {
      *damagedEntry = true;
      return false;
    }
  }
  const std::string mainPart = EntryName(types.xml.AttributeValue(types.xml.elements[types.main], "PartName"));
  if (!package.Find(mainPart)) {
    *error = "its main part \"" + mainPart + "\" is missing";
    return false;
  }
  if (!package.Find("_rels/.rels")) {
    *error = "its root relationships \"_rels/.rels\" are missing";
    return false;
  }
  return true;
}

bool MakeTemplate(std::string_view bytes, DocumentKind kind, int fileFormat, std::string* out, std::string* error) {
  if (!IsWordKind(kind)) {
    *error = std::string("the stand-in cannot turn ") + KindName(kind) + " into a template by itself";
    return false;
  }
  if (fileFormat == kFormatTemplate) {
    if (!IsBinary(kind)) {
      *error = std::string("the stand-in cannot turn ") + KindName(kind) + " into a binary template";
      return false;
    }
    if (kind == DocumentKind::kBinaryTemplate) {
      *out = std::string(bytes);
      return true;
    }
    return ToBinaryTemplate(bytes, out, error);
  }
  if (IsBinary(kind)) {
    *error = std::string("the stand-in cannot turn ") + KindName(kind) + " into an Open XML template";
    return false;
  }
  const bool keepMacros = fileFormat == kFormatXmlTemplateMacroEnabled;
  if ((kind == DocumentKind::kXmlTemplate && !keepMacros) ||
      (kind == DocumentKind::kXmlMacroTemplate && keepMacros)) {
    *out = std::string(bytes);
    return true;
  }
  return ToXmlTemplate(bytes, keepMacros, out, error);
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
    *kind = types.kind;
    return true;
  }
  *error = "it is neither a binary Word document nor an Open XML package";
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

bool CheckTemplate(std::string_view bytes, DocumentKind expected, std::string* error) {
  DocumentKind kind{};
  std::string why;
  bool damagedEntry = false;
  if (!IdentifyDocument(bytes, &kind, &why) || (!IsBinary(kind) && !CheckPackage(bytes, &why, &damagedEntry))) {
    *error = (damagedEntry ? "the document is damaged: " : "the template made does not read back: ") + why;
    return false;
  }
  if (kind != expected) {
    *error = std::string("the template made reads back as ") + KindName(kind) + ", not " + KindName(expected);
    return false;
  }
  return true;
}

bool ConvertToTemplate(std::string_view bytes, DocumentKind kind, int fileFormat,
                       std::string_view targetExtension, std::string* out, std::string* error) {
  if (RefusedForItsPassword(kind, error)) return false;
  DocumentKind made{};
  if (!TemplateKindFor(fileFormat, targetExtension, &made, error)) return false;
  std::string bytesMade;
  if (!MakeTemplate(bytes, kind, fileFormat, &bytesMade, error) || !CheckTemplate(bytesMade, made, error)) return false;
  *out = std::move(bytesMade);
  return true;
}

}  // namespace standin
