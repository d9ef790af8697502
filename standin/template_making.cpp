#include "template_making.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "common/ascii.h"
#include "compound_file.h"
#include "word_fib.h"
#include "word_package.h"
#include "xml_reader.h"
#include "zip_package.h"

namespace standin {
namespace {

using quillory::LowerAscii;

// Parts that carry macros, by content type, and the relationship types that point at them.
constexpr std::array<std::string_view, 4> kMacroPartTypes = {
    "application/vnd.ms-office.vbaProject", "application/vnd.ms-word.vbaData+xml",
    "application/vnd.ms-word.keyMapCustomizations+xml", "application/vnd.ms-word.attachedToolbars"};
constexpr std::array<std::string_view, 4> kMacroRelationshipEndings = {
    "/vbaProject", "/wordVbaData", "/keyMapCustomizations", "/attachedToolbars"};

bool IsMacroPartType(std::string_view type) {
  return std::find(kMacroPartTypes.begin(), kMacroPartTypes.end(), type) != kMacroPartTypes.end();
}

bool IsMacroRelationship(std::string_view type) {
  return std::any_of(kMacroRelationshipEndings.begin(), kMacroRelationshipEndings.end(),
                     [&](std::string_view ending) { return type.ends_with(ending); });
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

bool MakeTemplate(std::string_view bytes, DocumentKind kind, DocumentKind made, std::string* out, std::string* error) {
  if (!IsWordKind(kind)) {
    *error = std::string("the stand-in cannot turn ") + KindName(kind) + " into a template by itself";
    return false;
  }
  if (made == DocumentKind::kBinaryTemplate) {
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
  const bool keepMacros = made == DocumentKind::kXmlMacroTemplate;
  if ((kind == DocumentKind::kXmlTemplate && !keepMacros) ||
      (kind == DocumentKind::kXmlMacroTemplate && keepMacros)) {
    *out = std::string(bytes);
    return true;
  }
  return ToXmlTemplate(bytes, keepMacros, out, error);
}

}  // namespace

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

bool ConvertToTemplate(std::string_view bytes, DocumentKind kind, DocumentKind made, std::string* out,
                       std::string* error) {
  std::string bytesMade;
  if (!MakeTemplate(bytes, kind, made, &bytesMade, error) || !CheckTemplate(bytesMade, made, error)) return false;
  *out = std::move(bytesMade);
  return true;
}

}  // namespace standin
