// A small strict XML reader for the package parts the stand-in edits ([Content_Types].xml and
// relationships): one pass, no recursion, memory in proportion to the text. It records where
// each element and attribute value lies so that one of them can be replaced or cut out while
// everything else stays byte for byte.
//
// Accepted: an optional UTF-8 byte order mark, the XML declaration and processing
// instructions, comments, CDATA sections inside the root (skipped), one root element, the five
// predefined entities and character references in attribute values and text. Refused: a
// DOCTYPE (so no entity definitions), any unknown entity, text other than white space outside
// the root, control characters, and more nesting, elements or attributes than XmlLimits
// allows. UTF-8 itself is not validated. Portable.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

inline constexpr size_t kNoParent = static_cast<size_t>(-1);

struct XmlLimits {
  size_t depth = 256;             // elements open at once
  size_t items = size_t{1} << 20;  // elements and attributes in all: about 64 MB recorded at most
};

// Byte offsets into the text read: [begin, end).
struct XmlRange {
  size_t begin = 0;
  size_t end = 0;
};

struct XmlAttribute {
  std::string_view name;  // qualified, as written; a view into the text read
  XmlRange value;         // its decoded value, in XmlDocument::values
  XmlRange raw;           // the value as written, between its quotes
};

struct XmlElement {
  std::string_view name;      // qualified, as written; a view into the text read
  size_t parent = kNoParent;  // index into XmlDocument::elements
  XmlRange range;             // from the '<' of its start tag to just past the '>' of its end
  size_t firstAttribute = 0;  // index into XmlDocument::attributes
  size_t attributeCount = 0;
};

// Views into the text read: that text must outlive the document.
struct XmlDocument {
  std::vector<XmlElement> elements;  // in the order their start tags come; the root first
  std::vector<XmlAttribute> attributes;
  std::string values;  // every decoded attribute value, one after the other

  std::span<const XmlAttribute> Attributes(const XmlElement& element) const;
  std::string_view Value(const XmlAttribute& attribute) const;
  // The attribute of that exact name, or null.
  const XmlAttribute* FindAttribute(const XmlElement& element, std::string_view name) const;
  // Its decoded value; empty when the element has no such attribute.
  std::string_view AttributeValue(const XmlElement& element, std::string_view name) const;
};

// The name without its namespace prefix.
std::string_view LocalName(std::string_view qualified);

// False with a short reason naming what is wrong and the byte where it lies.
bool ReadXml(std::string_view text, XmlDocument* document, std::string* error, const XmlLimits& limits = {});

// The text with & < > " ' written as entities, fit for an attribute value in either quotes.
std::string EscapeXml(std::string_view text);

}  // namespace standin
