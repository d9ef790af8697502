#include "template_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "compound_file.h"
#include "zip_package.h"

namespace standin {
namespace {

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
    "/vbaProject\"", "/wordVbaData\"", "/keyMapCustomizations\"", "/attachedToolbars\""};

constexpr std::u16string_view kWordDocumentStream = u"WordDocument";
constexpr uint16_t kFibIdent = 0xA5EC;
constexpr size_t kFibFlagsOffset = 0x0A;
constexpr uint16_t kFDot = 0x0001;
constexpr uint16_t kFEncrypted = 0x0100;
// A password-protected Open XML package is stored in a compound file with these streams.
constexpr std::u16string_view kEncryptionInfoStream = u"EncryptionInfo";
constexpr std::u16string_view kEncryptedPackageStream = u"EncryptedPackage";

// One XML element of the form <Name .../> or <Name ...>...</Name>: where it lies, and its
// start tag, which holds its attributes.
struct Element {
  size_t begin;
  size_t end;
  std::string_view tag;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the attributes of a start tag from `at`, just past the element's name, calling
// visit(name, value) for each: white space, a name, '=', a value in single or double quotes
// without '<'. The position of the tag's closing '>', or npos when the tag is malformed.
template <typename Visit>
size_t ReadAttributes(std::string_view xml, size_t at, Visit visit) {
  for (;;) {
    const size_t before = at;
    while (at < xml.size() && IsSpace(xml[at])) ++at;
    if (at >= xml.size()) return std::string_view::npos;
    if (xml[at] == '>') return at;
    if (xml[at] == '/') return at + 1 < xml.size() && xml[at + 1] == '>' ? at + 1 : std::string_view::npos;
    if (at == before) return std::string_view::npos;  // attributes are set apart by white space
    const size_t nameStart = at;
    while (at < xml.size() && !IsSpace(xml[at]) && std::string_view("=<>/\"'").find(xml[at]) == std::string_view::npos) ++at;
    const std::string_view name = xml.substr(nameStart, at - nameStart);
    while (at < xml.size() && IsSpace(xml[at])) ++at;
    if (name.empty() || at >= xml.size() || xml[at] != '=') return std::string_view::npos;
    ++at;
    while (at < xml.size() && IsSpace(xml[at])) ++at;
    if (at >= xml.size() || (xml[at] != '"' && xml[at] != '\'')) return std::string_view::npos;
    const size_t valueEnd = xml.find_first_of(xml[at] == '"' ? "\"<" : "'<", at + 1);
    if (valueEnd == std::string_view::npos || xml[valueEnd] == '<') return std::string_view::npos;
    if (!visit(name, xml.substr(at + 1, valueEnd - at - 1))) return std::string_view::npos;
    at = valueEnd + 1;
  }
}

// Every element of that name, in order; each search goes on after the element before, so the
// whole text is read once. False when one of them is malformed (an attribute named twice
// among them) or not closed.
bool Elements(std::string_view xml, std::string_view name, std::vector<Element>* found) {
  found->clear();
  const std::string open = std::string("<").append(name);
  const std::string closing = "</" + std::string(name) + ">";
  std::set<std::string_view> names;
  const auto once = [&](std::string_view attribute, std::string_view) { return names.insert(attribute).second; };
  for (size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at)) {
    const char next = at + open.size() < xml.size() ? xml[at + open.size()] : '>';
    if (!IsSpace(next) && next != '/' && next != '>') {
      at += open.size();
      continue;
    }
    names.clear();
    const size_t tagEnd = ReadAttributes(xml, at + open.size(), once);
    if (tagEnd == std::string_view::npos) return false;
    size_t close = tagEnd;
    if (xml[close - 1] != '/') {
      const size_t endTag = xml.find(closing, close);
      if (endTag == std::string_view::npos) return false;
      close = endTag + closing.size() - 1;
    }
    found->push_back({at, close + 1, xml.substr(at, tagEnd + 1 - at)});
    at = close + 1;
  }
  return true;
}

// The value of an attribute of a start tag read by Elements, as a view into it; empty when
// it has none.
std::string_view AttributeValue(std::string_view tag, std::string_view name) {
  size_t at = 1;
  while (at < tag.size() && !IsSpace(tag[at]) && tag[at] != '/' && tag[at] != '>') ++at;
  std::string_view value;
  ReadAttributes(tag, at, [&](std::string_view attribute, std::string_view v) {
    if (attribute == name) value = v;
    return true;
  });
  return value;
}

std::string Attribute(std::string_view tag, std::string_view name) {
  return std::string(AttributeValue(tag, name));
}

bool Malformed(std::string_view part, std::string* error) {
  *error = "the package's " + std::string(part) + " has an element that is malformed or not closed";
  return false;
}

// Removes the elements picked, keeping the text between them.
template <typename Pick>
bool RemoveElements(std::string_view part, std::string* xml, std::string_view name, Pick pick, std::string* error) {
  std::vector<Element> all;
  if (!Elements(*xml, name, &all)) return Malformed(part, error);
  std::string result;
  size_t kept = 0;
  for (const Element& e : all) {
    if (!pick(e.tag)) continue;
    result.append(*xml, kept, e.begin - kept);
    kept = e.end;
  }
  result.append(*xml, kept);
  *xml = std::move(result);
  return true;
}

bool IsMacroPartType(std::string_view type) {
  for (std::string_view t : kMacroPartTypes) {
    if (type == t) return true;
  }
  return false;
}

// The main part's Override element in [Content_Types].xml, and its kind.
bool FindMainPart(std::string_view contentTypes, Element* main, DocumentKind* kind, std::string* error) {
  std::vector<Element> overrides;
  if (!Elements(contentTypes, "Override", &overrides)) return Malformed("[Content_Types].xml", error);
  for (const Element& e : overrides) {
    const std::string type = Attribute(e.tag, "ContentType");
    if (type == kDocumentMainType) *kind = DocumentKind::kXmlDocument;
    else if (type == kMacroDocumentMainType) *kind = DocumentKind::kXmlMacroDocument;
    else if (type == kTemplateMainType) *kind = DocumentKind::kXmlTemplate;
    else if (type == kMacroTemplateMainType) *kind = DocumentKind::kXmlMacroTemplate;
    else continue;
    *main = e;
    return true;
  }
  *error = "the package has no Word main part";
  return false;
}

bool ReadPackage(std::string_view bytes, ZipPackage* package, std::string* contentTypes,
                 std::string* error) {
  if (!package->Read(bytes, error)) return false;
  const ZipEntry* types = package->Find("[Content_Types].xml");
  if (!types) {
    *error = "the package has no [Content_Types].xml";
    return false;
  }
  return package->Contents(*types, contentTypes, error);
}

uint16_t U16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
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
  if (U16(bytes, fib) != kFibIdent) {
    *error = "its WordDocument stream does not start with a Word file information block";
    return false;
  }
  const uint16_t flags = U16(bytes, fib + kFibFlagsOffset);
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
  std::string contentTypes;
  if (!ReadPackage(bytes, &package, &contentTypes, error)) return false;
  Element main{};
  DocumentKind kind{};
  if (!FindMainPart(contentTypes, &main, &kind, error)) return false;
  const std::string mainPart = Attribute(main.tag, "PartName");
  const std::string targetType = keepMacros ? kMacroTemplateMainType : kTemplateMainType;

  // The main part's own ContentType value, where it lies in its start tag.
  std::string types = contentTypes;
  const std::string_view mainType = AttributeValue(main.tag, "ContentType");
  types.replace(main.begin + static_cast<size_t>(mainType.data() - main.tag.data()), mainType.size(), targetType);

  if (!keepMacros) {
    // The macro parts, their own relationships, their content types and the main part's
    // relationships to them all go.
    std::vector<Element> overrides;
    if (!Elements(types, "Override", &overrides)) return Malformed("[Content_Types].xml", error);
    std::set<std::string, std::less<>> macroParts;
    for (const Element& e : overrides) {
      if (!IsMacroPartType(Attribute(e.tag, "ContentType"))) continue;
      std::string part = Attribute(e.tag, "PartName");
      if (!part.empty() && part[0] == '/') part.erase(0, 1);
      const size_t slash = part.rfind('/');
      const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
      macroParts.insert(folder + "_rels/" + part.substr(folder.size()) + ".rels");
      macroParts.insert(std::move(part));
    }
    package.Remove(macroParts);
    const auto macroType = [](std::string_view tag) { return IsMacroPartType(Attribute(tag, "ContentType")); };
    if (!RemoveElements("[Content_Types].xml", &types, "Override", macroType, error) ||
        !RemoveElements("[Content_Types].xml", &types, "Default", macroType, error)) {
      return false;
    }
    const size_t slash = mainPart.rfind('/');
    std::string relsName = mainPart.substr(0, slash + 1) + "_rels/" + mainPart.substr(slash + 1) + ".rels";
    if (!relsName.empty() && relsName[0] == '/') relsName.erase(0, 1);
    if (const ZipEntry* rels = package.Find(relsName)) {
      std::string relationships;
      if (!package.Contents(*rels, &relationships, error)) return false;
      std::string kept = relationships;
      const auto macroRelationship = [](std::string_view tag) {
        const std::string type = Attribute(tag, "Type") + "\"";
        for (std::string_view ending : kMacroRelationshipEndings) {
          if (type.size() >= ending.size() && type.compare(type.size() - ending.size(), ending.size(), ending) == 0) {
            return true;
          }
        }
        return false;
      };
      if (!RemoveElements(relsName, &kept, "Relationship", macroRelationship, error)) return false;
      if (kept != relationships) package.Put(relsName, kept);
    }
  }
  package.Put("[Content_Types].xml", types);
  *out = package.Write();
  return true;
}

bool IsBinary(DocumentKind kind) {
  return kind == DocumentKind::kBinaryDocument || kind == DocumentKind::kBinaryTemplate;
}

// A package whose every entry decompresses to its size and CRC and that holds its main part.
bool CheckPackage(std::string_view bytes, std::string* error) {
  ZipPackage package;
  std::string contentTypes;
  if (!ReadPackage(bytes, &package, &contentTypes, error)) return false;
  for (const ZipEntry& entry : package.Entries()) {
    std::string contents;
    if (!package.Contents(entry, &contents, error)) return false;
  }
  Element main{};
  DocumentKind kind{};
  if (!FindMainPart(contentTypes, &main, &kind, error)) return false;
  std::string mainPart = Attribute(main.tag, "PartName");
  if (!mainPart.empty() && mainPart[0] == '/') mainPart.erase(0, 1);
  if (!package.Find(mainPart)) {
    *error = "its main part \"" + mainPart + "\" is missing";
    return false;
  }
  return true;
}

// The template read back as the stand-in would read it, before anything is written.
bool CheckTemplate(std::string_view bytes, DocumentKind expected, std::string* error) {
  DocumentKind kind{};
  std::string why;
  if (!IdentifyDocument(bytes, &kind, &why) || (!IsBinary(kind) && !CheckPackage(bytes, &why))) {
    *error = "the template made does not read back: " + why;
    return false;
  }
  if (kind != expected) {
    *error = std::string("the template made reads back as ") + KindName(kind) + ", not " + KindName(expected);
    return false;
  }
  return true;
}

bool MakeTemplate(std::string_view bytes, DocumentKind kind, int fileFormat, std::string* out, std::string* error) {
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
  }
  return "a document";
}

bool IdentifyDocument(std::string_view bytes, DocumentKind* kind, std::string* error) {
  if (bytes.size() >= 8 && bytes.substr(0, 4) == std::string_view("\xD0\xCF\x11\xE0", 4)) {
    return IdentifyCompoundFile(bytes, kind, error);
  }
  if (bytes.size() >= 4 && bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
    ZipPackage package;
    std::string contentTypes;
    if (!ReadPackage(bytes, &package, &contentTypes, error)) return false;
    Element main{};
    if (!FindMainPart(contentTypes, &main, kind, error)) return false;
    return true;
  }
  *error = "it is neither a binary Word document nor an Open XML package";
  return false;
}

bool ConvertToTemplate(std::string_view bytes, DocumentKind kind, int fileFormat,
                       std::string_view targetExtension, std::string* out, std::string* error) {
  if (IsPasswordProtected(kind)) {
    *error = std::string("the stand-in cannot read ") + KindName(kind) + " without its password";
    return false;
  }
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
  const DocumentKind made = fileFormat == kFormatTemplate      ? DocumentKind::kBinaryTemplate
                            : fileFormat == kFormatXmlTemplate ? DocumentKind::kXmlTemplate
                                                               : DocumentKind::kXmlMacroTemplate;
  std::string bytesMade;
  if (!MakeTemplate(bytes, kind, fileFormat, &bytesMade, error) || !CheckTemplate(bytesMade, made, error)) return false;
  *out = std::move(bytesMade);
  return true;
}

}  // namespace standin
