#include "xml_reader.h"

#include <algorithm>
#include <cstdint>

#include "common/ascii.h"
#include "common/utf8.h"

namespace standin {
namespace {

// Classes of bytes, looked up in a table: the reader goes through every byte of hostile
// texts, sanitizers included.
enum : uint8_t { kSpace = 1, kNameStart = 2, kNameChar = 4, kControl = 8 };

constexpr struct ByteClasses {
  uint8_t of[256] = {};
  constexpr ByteClasses() {
    for (int c = 0; c < 0x20; ++c) of[c] = kControl;
    for (const int c : {' ', '\t', '\r', '\n'}) of[c] = kSpace;
    for (int c = 0; c < 256; ++c) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80) {
        of[c] = kNameStart | kNameChar;
      }
      if ((c >= '0' && c <= '9') || c == '-' || c == '.') of[c] = kNameChar;
    }
  }
} kClasses;

bool Is(char c, uint8_t byteClass) { return kClasses.of[static_cast<unsigned char>(c)] & byteClass; }
bool IsSpace(char c) { return Is(c, kSpace); }

bool IsCharacter(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// A name as shown in a reason: hostile names can be megabytes long.
std::string Shown(std::string_view name) {
  return name.size() <= 40 ? std::string(name) : std::string(name.substr(0, 40)) + "...";
}

class Reader {
 public:
  Reader(std::string_view text, XmlDocument* document, const XmlLimits& limits)
      : text_(text), data_(text.data()), size_(text.size()), document_(document), limits_(limits) {}

  bool Read(std::string* error);

 private:
  bool Fail(const std::string& what, size_t at) {
    error_ = what + " (byte " + std::to_string(at) + ")";
    return false;
  }
  bool At(std::string_view s) const { return text_.substr(std::min(at_, text_.size()), s.size()) == s; }
  bool More() const { return at_ < size_; }
  // Plain pointers in the loops every byte goes through: unoptimised builds with sanitizers
  // read hostile texts too.
  void SkipSpace() {
    while (at_ < size_ && kClasses.of[static_cast<unsigned char>(data_[at_])] & kSpace) ++at_;
  }
  std::string_view Name() {
    const size_t begin = at_;
    if (!More() || !Is(data_[at_], kNameStart)) return {};
    while (at_ < size_ && kClasses.of[static_cast<unsigned char>(data_[at_])] & kNameChar) ++at_;
    return {data_ + begin, at_ - begin};
  }
  bool Item(size_t at) {
    return ++items_ <= limits_.items || Fail("more than " + std::to_string(limits_.items) + " elements and attributes", at);
  }

  bool ProcessingInstruction(bool first);
  bool Skip(std::string_view open, std::string_view close, const char* what);
  bool Comment();
  bool StartTag();
  bool Attribute(XmlElement& element);
  bool EndTag();
  bool Text();
  bool Reference(std::string* out);

  std::string_view text_;
  const char* data_;
  size_t size_;
  XmlDocument* document_;
  XmlLimits limits_;
  size_t at_ = 0;
  size_t items_ = 0;
  bool rootDone_ = false;
  std::vector<size_t> open_;              // the elements whose end tags are to come
  std::vector<std::string_view> names_;   // one start tag's attribute names, sorted to find one named twice
  std::string scratch_;                   // text decoded only to check it
  std::string error_;
};

bool Reader::Read(std::string* error) {
  *document_ = {};
  bool ok = (!At("\xFF\xFE") && !At("\xFE\xFF")) || Fail("the text is UTF-16, not UTF-8", 0);
  for (size_t i = 0; ok && i < size_; ++i) {
    const auto c = static_cast<unsigned char>(data_[i]);
    if (kClasses.of[c] == kControl) {
      ok = Fail(std::string("a control character 0x") + "0123456789ABCDEF"[c >> 4] + "0123456789ABCDEF"[c & 15], i);
    }
  }
  if (At("\xEF\xBB\xBF")) at_ = 3;
  const size_t start = at_;
  while (ok && More()) {
    if (text_[at_] != '<') {
      if (!open_.empty()) {
        ok = Text();
      } else if (IsSpace(text_[at_])) {
        ++at_;
      } else {
        ok = Fail(rootDone_ ? "text after the root element" : "text before the root element", at_);
      }
      continue;
    }
    const char next = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
    if (next == '?') {
      ok = ProcessingInstruction(at_ == start);
    } else if (next == '/') {
      ok = EndTag();
    } else if (next != '!') {
      ok = StartTag();
    } else if (At("<!--")) {
      ok = Comment();
    } else if (At("<![CDATA[")) {
      ok = open_.empty() ? Fail("a CDATA section outside the root element", at_) : Skip("<![CDATA[", "]]>", "a CDATA section");
    } else if (At("<!DOCTYPE")) {
      ok = Fail("a DOCTYPE is not accepted", at_);
    } else {
      ok = Fail("a declaration is not accepted", at_);
    }
  }
  if (ok && !open_.empty()) {
    const XmlElement& element = document_->elements[open_.back()];
    ok = Fail("the element <" + Shown(element.name) + "> is not closed", element.range.begin);
  }
  if (ok && document_->elements.empty()) ok = Fail("there is no root element", at_);
  if (!ok) {
    *error = error_;
    *document_ = {};
  }
  return ok;
}

bool Reader::Skip(std::string_view open, std::string_view close, const char* what) {
  const size_t begin = at_;
  const size_t end = text_.find(close, at_ + open.size());
  if (end == std::string_view::npos) return Fail(std::string(what) + " is not closed", begin);
  at_ = end + close.size();
  return true;
}

bool Reader::ProcessingInstruction(bool first) {
  const size_t begin = at_;
  at_ += 2;
  const std::string_view target = Name();
  if (target.empty()) return Fail("a processing instruction has no target", begin);
  if (quillory::LowerAscii(target) == "xml" && !first) return Fail("an XML declaration not at the start", begin);
  if (More() && !IsSpace(text_[at_]) && !At("?>")) return Fail("a processing instruction's target runs into its text", at_);
  at_ = begin;
  return Skip("<?", "?>", "a processing instruction");
}

bool Reader::Comment() {
  const size_t begin = at_;
  const size_t dashes = text_.find("--", at_ + 4);
  if (dashes == std::string_view::npos) return Fail("a comment is not closed", begin);
  if (dashes + 2 >= text_.size() || text_[dashes + 2] != '>') return Fail("\"--\" inside a comment", dashes);
  at_ = dashes + 3;
  return true;
}

bool Reader::StartTag() {
  const size_t begin = at_++;
  const std::string_view name = Name();
  if (name.empty()) return Fail("a '<' that starts no tag", begin);
  if (rootDone_) return Fail("a second root element <" + Shown(name) + ">", begin);
  if (open_.size() >= limits_.depth) return Fail("elements nested more than " + std::to_string(limits_.depth) + " deep", begin);
  if (!Item(begin)) return false;
  XmlElement element;
  element.name = name;
  element.parent = open_.empty() ? kNoParent : open_.back();
  element.range.begin = begin;
  element.firstAttribute = document_->attributes.size();
  for (;;) {
    const size_t space = at_;
    SkipSpace();
    if (!More()) return Fail("the start tag <" + Shown(name) + "> is not closed", begin);
    if (text_[at_] == '>' || At("/>")) break;
    if (at_ == space) return Fail("the start tag <" + Shown(name) + "> holds something other than attributes", at_);
    if (!Attribute(element)) return false;
  }
  if (element.attributeCount > 1) {
    const auto attributes = std::span(document_->attributes).subspan(element.firstAttribute, element.attributeCount);
    names_.clear();
    for (const XmlAttribute& a : attributes) names_.push_back(a.name);
    std::sort(names_.begin(), names_.end());
    const auto twice = std::adjacent_find(names_.begin(), names_.end());
    if (twice != names_.end()) return Fail("the attribute " + Shown(*twice) + " comes twice in <" + Shown(name) + ">", begin);
  }
  const bool empty = text_[at_] == '/';
  at_ += empty ? 2 : 1;
  if (empty) {
    element.range.end = at_;
    rootDone_ = open_.empty();
  } else {
    open_.push_back(document_->elements.size());
  }
  document_->elements.push_back(element);
  return true;
}

bool Reader::Attribute(XmlElement& element) {
  const std::string_view name = Name();
  const auto of = [&] { return " of <" + Shown(element.name) + ">"; };
  if (name.empty()) return Fail("the start tag <" + Shown(element.name) + "> holds something other than attributes", at_);
  if (!Item(at_)) return false;
  SkipSpace();
  if (!More() || text_[at_] != '=') return Fail("the attribute " + Shown(name) + of() + " has no '='", at_);
  ++at_;
  SkipSpace();
  if (!More() || (text_[at_] != '"' && text_[at_] != '\'')) {
    return Fail("the value of the attribute " + Shown(name) + of() + " is not in quotes", at_);
  }
  const char quote = text_[at_++];
  XmlAttribute attribute;
  attribute.name = name;
  attribute.raw.begin = at_;
  std::string& values = document_->values;
  attribute.value.begin = values.size();
  for (;;) {
    if (!More()) return Fail("the value of the attribute " + Shown(name) + of() + " is not closed", attribute.raw.begin - 1);
    const char c = text_[at_];
    if (c == quote) break;
    if (c == '<') return Fail("a '<' in the value of the attribute " + Shown(name) + of(), at_);
    if (c == '&') {
      if (!Reference(&values)) return false;
      continue;
    }
    // Line ends and tabs read as spaces, a CR LF pair as one.
    if (IsSpace(c)) {
      if (c == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n') ++at_;
      values.push_back(' ');
      ++at_;
      continue;
    }
    const size_t run = std::min(text_.find_first_of(quote == '"' ? "\"<&\t\r\n" : "'<&\t\r\n", at_), text_.size());
    values.append(text_, at_, run - at_);
    at_ = run;
  }
  attribute.raw.end = at_++;
  attribute.value.end = values.size();
  document_->attributes.push_back(attribute);
  ++element.attributeCount;
  return true;
}

bool Reader::EndTag() {
  const size_t begin = at_;
  at_ += 2;
  const std::string_view name = Name();
  if (name.empty()) return Fail("an end tag has no name", begin);
  SkipSpace();
  if (!More() || text_[at_] != '>') return Fail("the end tag </" + Shown(name) + "> is not closed", begin);
  ++at_;
  if (open_.empty()) return Fail("an end tag </" + Shown(name) + "> with no element open", begin);
  XmlElement& element = document_->elements[open_.back()];
  if (element.name != name) {
    return Fail("an end tag </" + Shown(name) + "> does not match <" + Shown(element.name) + ">", begin);
  }
  element.range.end = at_;
  open_.pop_back();
  rootDone_ = open_.empty();
  return true;
}

bool Reader::Text() {
  for (;;) {
    at_ = std::min(text_.find_first_of("<&", at_), text_.size());
    if (at_ == text_.size() || text_[at_] == '<') return true;
    scratch_.clear();
    if (!Reference(&scratch_)) return false;
  }
}

bool Reader::Reference(std::string* out) {
  const size_t begin = at_++;
  if (More() && text_[at_] == '#') {
    ++at_;
    const bool hex = More() && text_[at_] == 'x';
    if (hex) ++at_;
    uint32_t value = 0;
    size_t digits = 0;
    for (; More(); ++at_, ++digits) {
      const char c = text_[at_];
      uint32_t digit = 16;
      if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
      else if (hex && c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
      else if (hex && c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
      if (digit >= (hex ? 16u : 10u)) break;
      value = std::min<uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);  // past the last code point is enough
    }
    if (digits == 0 || !More() || text_[at_] != ';') return Fail("a character reference is malformed", begin);
    ++at_;
    if (!IsCharacter(value)) {
      return Fail("the character reference " + Shown(text_.substr(begin, at_ - begin)) + " names no valid character", begin);
    }
    quillory::AppendUtf8(*out, value);
    return true;
  }
  const std::string_view name = Name();
  if (name.empty() || !More() || text_[at_] != ';') return Fail("an '&' that starts no reference", begin);
  ++at_;
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [entity, c] : kEntities) {
    if (name == entity) {
      out->push_back(c);
      return true;
    }
  }
  return Fail("an unknown entity &" + Shown(name) + ";", begin);
}

}  // namespace

std::span<const XmlAttribute> XmlDocument::Attributes(const XmlElement& element) const {
  return std::span(attributes).subspan(element.firstAttribute, element.attributeCount);
}

std::string_view XmlDocument::Value(const XmlAttribute& attribute) const {
  return std::string_view(values).substr(attribute.value.begin, attribute.value.end - attribute.value.begin);
}

const XmlAttribute* XmlDocument::FindAttribute(const XmlElement& element, std::string_view name) const {
  for (const XmlAttribute& a : Attributes(element)) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

std::string_view XmlDocument::AttributeValue(const XmlElement& element, std::string_view name) const {
  const XmlAttribute* attribute = FindAttribute(element, name);
  return attribute ? Value(*attribute) : std::string_view();
}

std::string_view LocalName(std::string_view qualified) {
  const size_t colon = qualified.find(':');
  return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

bool ReadXml(std::string_view text, XmlDocument* document, std::string* error, const XmlLimits& limits) {
  return Reader(text, document, limits).Read(error);
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace standin
