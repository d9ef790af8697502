#include "compatibility_mode.h"

#include <charconv>

#include "word_package.h"

namespace standin {
namespace {

constexpr std::string_view kModeSetting = "compatibilityMode";

// The package's settings part, found through the main part's relationship of that type.
struct Settings {
  ZipPackage package;
  std::string name, text;
  XmlDocument xml;
};

bool ReadSettings(std::string_view bytes, Settings* settings, std::string* error) {
  ContentTypes types;
  if (!ReadPackage(bytes, &settings->package, &types, error)) return false;
  const std::string main = EntryName(types.xml.AttributeValue(types.xml.elements[types.main], "PartName"));
  const std::string relsName = RelationshipsName(main);
  const ZipEntry* rels = settings->package.Find(relsName);
  std::string relsText;
  XmlDocument relsXml;
  if (!rels) {
    *error = "the document has no settings part to record its mode in";
    return false;
  }
  if (!XmlPartText(settings->package, *rels, &relsText, error) ||
      !ReadPart(relsName, relsText, "Relationships", &relsXml, error)) {
    return false;
  }
  for (const XmlElement& e : relsXml.elements) {
    if (!IsRootChild(e, "Relationship") || !relsXml.AttributeValue(e, "Type").ends_with("/settings")) continue;
    const std::string_view target = relsXml.AttributeValue(e, "Target");
    settings->name = target.starts_with('/') ? EntryName(target)
                                             : main.substr(0, main.rfind('/') + 1) + std::string(target);
    const ZipEntry* part = settings->package.Find(settings->name);
    if (!part) break;
    return XmlPartText(settings->package, *part, &settings->text, error) &&
           ReadPart(settings->name, settings->text, "settings", &settings->xml, error);
  }
  *error = "the document has no settings part to record its mode in";
  return false;
}

// The value of an attribute by its local name, whatever its prefix.
const XmlAttribute* LocalAttribute(const XmlDocument& xml, const XmlElement& element, std::string_view name) {
  for (const XmlAttribute& attribute : xml.Attributes(element)) {
    if (LocalName(attribute.name) == name) return &attribute;
  }
  return nullptr;
}

// The value of the first compatSetting that records the mode, or null.
const XmlAttribute* ModeValue(const XmlDocument& xml) {
  for (const XmlElement& e : xml.elements) {
    const XmlAttribute* name = LocalName(e.name) == "compatSetting" ? LocalAttribute(xml, e, "name") : nullptr;
    const XmlAttribute* value = name && xml.Value(*name) == kModeSetting ? LocalAttribute(xml, e, "val") : nullptr;
    if (value) return value;
  }
  return nullptr;
}

}  // namespace

int CompatibilityMode(std::string_view bytes, DocumentKind kind) {
  if (IsBinary(kind) || kind == DocumentKind::kWord6Document) return kBinaryCompatibilityMode;
  if (!IsWordKind(kind)) return kCurrentCompatibilityMode;
  Settings settings;
  std::string error;
  const XmlAttribute* value = ReadSettings(bytes, &settings, &error) ? ModeValue(settings.xml) : nullptr;
  if (!value) return kUnrecordedCompatibilityMode;
  const std::string_view text = settings.xml.Value(*value);
  int mode = 0;
  const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), mode);
  return failed == std::errc() && end == text.data() + text.size() ? mode : kUnrecordedCompatibilityMode;
}

bool WithCurrentCompatibilityMode(std::string_view package, std::string* out, std::string* error) {
  Settings settings;
  if (!ReadSettings(package, &settings, error)) return false;
  const XmlDocument& xml = settings.xml;
  const XmlElement& root = xml.elements[0];
  const std::string_view rootName = root.name;
  const std::string prefix(rootName.substr(0, rootName.find(':') == std::string_view::npos ? 0 : rootName.find(':') + 1));
  const std::string current = std::to_string(kCurrentCompatibilityMode);
  const std::string setting = "<" + prefix + "compatSetting " + prefix + "name=\"" + std::string(kModeSetting) + "\" " +
                              prefix + "uri=\"http://schemas.microsoft.com/office/word\" " + prefix + "val=\"" +
                              current + "\"/>";
  std::string text = settings.text;
  // Where the setting goes: its value in place; else into the compat element, or a new compat
  // element into the root (an empty element written as one tag is written out whole).
  const auto into = [&](const XmlElement& e, const std::string& inner) {
    const std::string_view written(text.data() + e.range.begin, e.range.end - e.range.begin);
    if (written.ends_with("/>")) {
      text.replace(e.range.begin, written.size(), std::string(written.substr(0, written.size() - 2)) + ">" + inner +
                                                      "</" + std::string(e.name) + ">");
    } else {
      text.insert(text.rfind('<', e.range.end - 1), inner);
    }
  };
  const XmlElement* compat = nullptr;
  for (const XmlElement& e : xml.elements) {
    if (e.parent == 0 && LocalName(e.name) == "compat") compat = &e;
  }
  if (const XmlAttribute* value = ModeValue(xml)) {
    text.replace(value->raw.begin, value->raw.end - value->raw.begin, current);
  } else if (compat) {
    into(*compat, setting);
  } else {
    into(root, "<" + prefix + "compat>" + setting + "</" + prefix + "compat>");
  }
  settings.package.Put(settings.name, text);
  *out = settings.package.Write();
  return true;
}

}  // namespace standin
