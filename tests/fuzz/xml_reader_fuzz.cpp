// libFuzzer target: any bytes as XML for the stand-in's reader. They are refused with a
// reason, or every range recorded lies inside the text, each element inside its parent and
// each attribute's value inside its element, in the order the text gives them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  standin::XmlDocument xml;
  std::string error;
  if (!standin::ReadXml(text, &xml, &error)) {
    if (error.empty() || !xml.elements.empty()) __builtin_trap();
    return 0;
  }
  const auto inside = [](standin::XmlRange inner, standin::XmlRange outer) {
    return outer.begin <= inner.begin && inner.begin <= inner.end && inner.end <= outer.end;
  };
  const standin::XmlRange whole{0, size};
  if (xml.elements.empty() || xml.elements[0].parent != standin::kNoParent) __builtin_trap();
  size_t previousStart = 0;
  for (size_t i = 0; i < xml.elements.size(); ++i) {
    const standin::XmlElement& e = xml.elements[i];
    if (!inside(e.range, whole) || text[e.range.begin] != '<' || text[e.range.end - 1] != '>') __builtin_trap();
    if (text.substr(e.range.begin + 1, e.name.size()) != e.name) __builtin_trap();
    if (i > 0 && (e.parent >= i || e.range.begin <= previousStart || !inside(e.range, xml.elements[e.parent].range))) {
      __builtin_trap();
    }
    previousStart = e.range.begin;
    for (const standin::XmlAttribute& a : xml.Attributes(e)) {
      if (!inside(a.raw, e.range) || !inside(a.value, {0, xml.values.size()})) __builtin_trap();
      if (a.value.end - a.value.begin > a.raw.end - a.raw.begin) __builtin_trap();  // decoding never lengthens
      if (xml.FindAttribute(e, a.name) != &a) __builtin_trap();                       // each name once
    }
  }
  return 0;
}
