// A Word package as the stand-in reads one: the zip archive weighed before anything is
// unpacked, its [Content_Types].xml read as XML, and the Override naming its main part.
// Portable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "xml_reader.h"
#include "zip_package.h"

namespace standin {

inline constexpr char kDocumentMainType[] =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
inline constexpr char kMacroDocumentMainType[] = "application/vnd.ms-word.document.macroEnabled.main+xml";
inline constexpr char kTemplateMainType[] =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
inline constexpr char kMacroTemplateMainType[] =
    "application/vnd.ms-word.template.macroEnabledTemplate.main+xml";

// [Content_Types].xml as read, and the first Override naming a Word main part: the index of
// that element and its content type, one of the four above. Kept in place: the document's
// views point into the text.
struct ContentTypes {
  std::string text;
  XmlDocument xml;
  size_t main = 0;
  std::string_view mainType;
};

// False with a reason when the package would unpack to far more than its size, or its content
// types are missing, malformed or name no Word main part.
bool ReadPackage(std::string_view bytes, ZipPackage* package, ContentTypes* types, std::string* error);

// An XML part's text, refused unread when it is larger than any real one.
bool XmlPartText(const ZipPackage& package, const ZipEntry& entry, std::string* text, std::string* error);

// A part of the package read as XML, whose root must have this local name.
bool ReadPart(std::string_view name, std::string_view text, std::string_view root, XmlDocument* xml,
              std::string* error);

// Whether the element is a child of the root with that local name; prefixes are not compared.
bool IsRootChild(const XmlElement& element, std::string_view name);

// A part's zip entry name: its part name without the leading '/'.
std::string EntryName(std::string_view partName);

// The entry holding a part's relationships: "_rels/<name>.rels" in the part's folder.
std::string RelationshipsName(std::string_view entry);

}  // namespace standin
