#include "word_package.h"

#include <algorithm>
#include <cstdint>

namespace standin {
namespace {

// The content types and relationships of real documents are a few kilobytes; larger ones are
// refused before they are unpacked.
constexpr uint32_t kMaxXmlPartSize = 8u << 20;
// A whole package may unpack to this many times its own size, or to one entry's limit when
// that is more: real documents stay far below, and the read-back check, which unpacks every
// entry, then costs time in step with the file.
constexpr uint64_t kMaxUnpackRatio = 100;

constexpr std::string_view kWordMainTypes[] = {kDocumentMainType, kMacroDocumentMainType, kTemplateMainType,
                                               kMacroTemplateMainType};

bool FindMainPart(ContentTypes* types, std::string* error) {
  for (size_t i = 0; i < types->xml.elements.size(); ++i) {
    const XmlElement& e = types->xml.elements[i];
    if (!IsRootChild(e, "Override")) continue;
    const std::string_view type = types->xml.AttributeValue(e, "ContentType");
    const auto known = std::find(std::begin(kWordMainTypes), std::end(kWordMainTypes), type);
    if (known == std::end(kWordMainTypes)) continue;
    types->main = i;
    types->mainType = *known;
    return true;
  }
  *error = "the package has no Word main part";
  return false;
}

}  // namespace

bool XmlPartText(const ZipPackage& package, const ZipEntry& entry, std::string* text, std::string* error) {
  if (entry.uncompressedSize > kMaxXmlPartSize) {
    *error = "the package's " + entry.name + " is larger than the stand-in reads (" +
             std::to_string(entry.uncompressedSize >> 20) + " MB)";
    return false;
  }
  return package.Contents(entry, text, error);
}

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

bool IsRootChild(const XmlElement& element, std::string_view name) {
  return element.parent == 0 && LocalName(element.name) == name;
}

std::string RelationshipsName(std::string_view entry) {
  const size_t slash = entry.rfind('/');
  const size_t name = slash == std::string_view::npos ? 0 : slash + 1;
  return std::string(entry.substr(0, name)) + "_rels/" + std::string(entry.substr(name)) + ".rels";
}

std::string EntryName(std::string_view partName) {
  if (!partName.empty() && partName[0] == '/') partName.remove_prefix(1);
  return std::string(partName);
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

}  // namespace standin
