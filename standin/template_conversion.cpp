#include "template_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

// One XML element of the form <Name .../> or <Name ...>...</Name> found by scanning.
struct Element {
  size_t begin;
  size_t end;
  std::string_view text;
};

std::vector<Element> Elements(std::string_view xml, std::string_view name) {
  std::vector<Element> found;
  const std::string open = std::string("<").append(name);
  for (size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
    const char next = at + open.size() < xml.size() ? xml[at + open.size()] : '>';
    if (next != ' ' && next != '/' && next != '>' && next != '\t' && next != '\r' && next != '\n') continue;
    size_t close = xml.find('>', at);
    if (close == std::string_view::npos) break;
    if (xml[close - 1] != '/') {
      const std::string closing = "</" + std::string(name) + ">";
      const size_t endTag = xml.find(closing, close);
      if (endTag != std::string_view::npos) close = endTag + closing.size() - 1;
    }
    found.push_back({at, close + 1, xml.substr(at, close + 1 - at)});
  }
  return found;
}

std::string Attribute(std::string_view element, std::string_view name) {
  for (const char quote : {'"', '\''}) {
    const std::string key = std::string(" ").append(name).append("=").append(1, quote);
    const size_t at = element.find(key);
    if (at == std::string_view::npos) continue;
    const size_t start = at + key.size();
    const size_t end = element.find(quote, start);
    if (end != std::string_view::npos) return std::string(element.substr(start, end - start));
  }
  return {};
}

// Removes the elements picked, from the last to the first so offsets stay valid.
template <typename Pick>
std::string RemoveElements(std::string_view xml, std::string_view name, Pick pick) {
  std::string result(xml);
  std::vector<Element> all = Elements(xml, name);
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    if (pick(it->text)) result.erase(it->begin, it->end - it->begin);
  }
  return result;
}

bool IsMacroPartType(std::string_view type) {
  for (std::string_view t : kMacroPartTypes) {
    if (type == t) return true;
  }
  return false;
}

// The main part's Override element in [Content_Types].xml, and its kind.
bool FindMainPart(std::string_view contentTypes, Element* main, DocumentKind* kind) {
  for (const Element& e : Elements(contentTypes, "Override")) {
    const std::string type = Attribute(e.text, "ContentType");
    if (type == kDocumentMainType) *kind = DocumentKind::kXmlDocument;
    else if (type == kMacroDocumentMainType) *kind = DocumentKind::kXmlMacroDocument;
    else if (type == kTemplateMainType) *kind = DocumentKind::kXmlTemplate;
    else if (type == kMacroTemplateMainType) *kind = DocumentKind::kXmlMacroTemplate;
    else continue;
    *main = e;
    return true;
  }
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
  if (!FindMainPart(contentTypes, &main, &kind)) {
    *error = "the package has no Word main part";
    return false;
  }
  const std::string mainPart = Attribute(main.text, "PartName");
  const std::string targetType = keepMacros ? kMacroTemplateMainType : kTemplateMainType;

  std::string types = contentTypes;
  const size_t typeAt = main.begin + main.text.find(Attribute(main.text, "ContentType"));
  types.replace(typeAt, Attribute(main.text, "ContentType").size(), targetType);

  if (!keepMacros) {
    // The macro parts, their own relationships, their content types and the main part's
    // relationships to them all go.
    for (const Element& e : Elements(types, "Override")) {
      if (!IsMacroPartType(Attribute(e.text, "ContentType"))) continue;
      std::string part = Attribute(e.text, "PartName");
      if (!part.empty() && part[0] == '/') part.erase(0, 1);
      package.Remove(part);
      const size_t slash = part.rfind('/');
      const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
      package.Remove(folder + "_rels/" + part.substr(folder.size()) + ".rels");
    }
    types = RemoveElements(types, "Override", [](std::string_view e) {
      return IsMacroPartType(Attribute(e, "ContentType"));
    });
    types = RemoveElements(types, "Default", [](std::string_view e) {
      return IsMacroPartType(Attribute(e, "ContentType"));
    });
    const size_t slash = mainPart.rfind('/');
    std::string relsName = mainPart.substr(0, slash + 1) + "_rels/" + mainPart.substr(slash + 1) + ".rels";
    if (!relsName.empty() && relsName[0] == '/') relsName.erase(0, 1);
    if (const ZipEntry* rels = package.Find(relsName)) {
      std::string relationships;
      if (!package.Contents(*rels, &relationships, error)) return false;
      const std::string kept = RemoveElements(relationships, "Relationship", [](std::string_view e) {
        for (std::string_view ending : kMacroRelationshipEndings) {
          const std::string type = Attribute(e, "Type") + "\"";
          if (type.size() >= ending.size() && type.compare(type.size() - ending.size(), ending.size(), ending) == 0) {
            return true;
          }
        }
        return false;
      });
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
    if (!FindMainPart(contentTypes, &main, kind)) {
      *error = "the package has no Word main part";
      return false;
    }
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

}  // namespace standin
