// The stand-in's XML reader: what it records of well-formed text, what it refuses, and
// hostile sizes it must get through in one pass.
#include "core_test.h"

#include <utility>

#include "xml_reader.h"

namespace standin {
namespace {

std::string_view At(std::string_view text, XmlRange range) { return text.substr(range.begin, range.end - range.begin); }

std::string Repeat(std::string_view s, size_t n) {
  std::string out;
  while (n--) out += s;
  return out;
}

TEST(XmlReaderTest, WellFormedTextGivesNamesTreeDecodedValuesAndRanges) {
  const std::string text =
      "\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- <Override a=\"1\"/> -->\n"
      "<p:Root xmlns:p=\"u\" a='x&amp;&lt;&gt;&quot;&apos;&#43;&#x1F600;&#xD7FF;&#x7ff;\"' b.1=\"1\r\n2\t3\">text &amp; &#x2B;"
      "<?pi <x>?><![CDATA[<not/>]]><Child c=\"&#xe9;\"/><!----><Child><Deep/></Child >\n</p:Root>\n<!-- end -->";
  XmlDocument xml;
  std::string error;
  ASSERT_TRUE(ReadXml(text, &xml, &error)) << error;
  const size_t rootAt = text.find("<p:Root");
  using Element = std::tuple<std::string_view, size_t, std::string_view>;  // name, parent, text
  std::vector<Element> elements;
  for (const XmlElement& e : xml.elements) elements.emplace_back(e.name, e.parent, At(text, e.range));
  ASSERT_EQ(elements, (std::vector<Element>{
      {"p:Root", kNoParent, std::string_view(text).substr(rootAt, text.find("</p:Root>") + 9 - rootAt)},
      {"Child", 0, "<Child c=\"&#xe9;\"/>"},
      {"Child", 0, "<Child><Deep/></Child >"}, {"Deep", 2, "<Deep/>"}}));
  const XmlElement& root = xml.elements[0];
  EXPECT_EQ(LocalName(root.name), "Root");
  ASSERT_EQ(xml.Attributes(root).size(), 3u);
  EXPECT_EQ(xml.AttributeValue(root, "a"), "x&<>\"'+\xF0\x9F\x98\x80\xED\x9F\xBF\xDF\xBF\"");
  EXPECT_EQ(xml.AttributeValue(root, "b.1"), "1 2 3");  // line ends and tabs read as spaces, CR LF as one
  EXPECT_EQ(At(text, xml.FindAttribute(root, "a")->raw), "x&amp;&lt;&gt;&quot;&apos;&#43;&#x1F600;&#xD7FF;&#x7ff;\"");
  EXPECT_EQ(xml.AttributeValue(root, "missing"), "");

  // One value replaced in place, escaped, reads back as written and moves nothing else.
  const XmlRange raw = xml.FindAttribute(xml.elements[1], "c")->raw;
  EXPECT_EQ(xml.AttributeValue(xml.elements[1], "c"), "\xC3\xA9");
  const std::string value = "<\"a'&b>";
  const std::string edited = text.substr(0, raw.begin) + EscapeXml(value) + text.substr(raw.end);
  ASSERT_TRUE(ReadXml(edited, &xml, &error)) << error;
  EXPECT_EQ(xml.AttributeValue(xml.elements[1], "c"), value);
  EXPECT_EQ(xml.elements.size(), 4u);
  EXPECT_EQ(At(edited, xml.elements[3].range), "<Deep/>");
}

TEST(XmlReaderTest, MalformedTextIsRefusedWithWhatAndWhere) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<a b='1'", "the start tag <a> is not closed (byte 0)"},
      {"<a><!-- x </a>", "a comment is not closed (byte 3)"},
      {"<a><!-- x -- y --></a>", "\"--\" inside a comment (byte 10)"},
      {"<a><!-- x --", "\"--\" inside a comment"},
      {"<a><b></a></b>", "an end tag </a> does not match <b> (byte 6)"},
      {"<a>", "the element <a> is not closed (byte 0)"},
      {"</a>", "an end tag </a> with no element open"},
      {"<a/><b/>", "a second root element <b> (byte 4)"},
      {"<a></a><b/>", "a second root element <b> (byte 7)"},
      {"<a x='1' x=\"1\"/>", "the attribute x comes twice in <a>"},
      {"<a x=1/>", "the value of the attribute x of <a> is not in quotes"},
      {"<a x/>", "the attribute x of <a> has no '='"},
      {"<a x='1'y='2'/>", "other than attributes"},
      {"<a x='<'/>", "a '<' in the value of the attribute x of <a> (byte 6)"},
      {"<a>&nbsp;</a>", "an unknown entity &nbsp; (byte 3)"},
      {"<a>&amp</a>", "an '&' that starts no reference"},
      {"<a x='&#0;'/>", "the character reference &#0; names no valid character (byte 6)"},
      {"<a>&#x110000;</a>", "names no valid character"},
      {"<a>&#xD800;</a>", "names no valid character"},
      {"<a>&#xFFFE;</a>", "names no valid character"},
      {"<a>&#4294967361;</a>", "names no valid character"},  // 2^32 + 65: no wrapping round to 'A'
      {"<a>&#;</a>", "a character reference is malformed"},
      {"<a>&#x41</a>", "a character reference is malformed"},
      {"<!DOCTYPE a [<!ENTITY x 'y'>]><a>&x;</a>", "a DOCTYPE is not accepted (byte 0)"},
      {"<a><!ELEMENT a ANY></a>", "a declaration is not accepted"},
      {"x<a/>", "text before the root element (byte 0)"},
      {"<a/>\n x", "text after the root element (byte 6)"},
      {"<![CDATA[x]]><a/>", "a CDATA section outside the root element"},
      {"<a><![CDATA[x</a>", "a CDATA section is not closed"},
      {"", "there is no root element"},
      {" <?xml version='1.0'?><!-- only -->", "an XML declaration not at the start"},
      {"<a/><?XML x?>", "an XML declaration not at the start"},
      {"<a><? x?></a>", "a processing instruction has no target"},
      {"<a><?x y</a>", "a processing instruction is not closed"},
      {"<a><?x<y?></a>", "a processing instruction's target runs into its text"},
      {"<a>\x1F</a>", "a control character 0x1F (byte 3)"},
      {std::string("<a>\0</a>", 8), "a control character 0x00 (byte 3)"},
      {"\xFF\xFE<\0a\0/\0>\0", "UTF-16"},
      {"<1a/>", "a '<' that starts no tag"},
      {"<a></>", "an end tag has no name"},
  };
  for (const auto& [text, reason] : cases) {
    const std::vector<char> exact(text.begin(), text.end());  // the sanitizer sees a read past its end
    XmlDocument xml;
    std::string error;
    EXPECT_FALSE(ReadXml(std::string_view(exact.data(), exact.size()), &xml, &error)) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << text << ": " << error;
    EXPECT_NE(error.find("(byte "), std::string::npos) << error;
    EXPECT_TRUE(xml.elements.empty() && xml.attributes.empty());  // nothing half-read is left
  }
}

TEST(XmlReaderTest, HostileSizesAreReadInOnePass) {
  XmlDocument xml;
  std::string error;
  // 50,000 siblings, each with an attribute.
  ASSERT_TRUE(ReadXml("<r>" + Repeat("<e a='1'/>", 50000) + "</r>", &xml, &error)) << error;
  EXPECT_EQ(xml.elements.size(), 50001u);

  // Nesting: exactly the limit is read; 200,000 deep is refused, closed or not.
  const size_t limit = XmlLimits{}.depth;
  EXPECT_TRUE(ReadXml(Repeat("<e>", limit) + Repeat("</e>", limit), &xml, &error)) << error;
  for (const size_t closed : {size_t{0}, size_t{200000}}) {
    EXPECT_FALSE(ReadXml(Repeat("<e>", 200000) + Repeat("</e>", closed), &xml, &error));
    EXPECT_EQ(error, "elements nested more than " + std::to_string(limit) + " deep (byte " + std::to_string(limit * 3) + ")");
  }

  // 10,000 attributes on one element; the same again with the first one named twice, last.
  std::string attributes;
  for (int i = 0; i < 10000; ++i) attributes += " a" + std::to_string(i) + "='&#x41;'";
  const std::string many = "<e" + attributes + "/>";  // the document's views point into it
  ASSERT_TRUE(ReadXml(many, &xml, &error)) << error;
  EXPECT_EQ(xml.AttributeValue(xml.elements[0], "a9999"), "A");
  EXPECT_FALSE(ReadXml("<e" + attributes + " a0=''/>", &xml, &error));
  EXPECT_NE(error.find("a0 comes twice"), std::string::npos) << error;

  // More elements and attributes than are recorded at all; a reference of 100,000 digits.
  const std::string items = "<r>" + Repeat("<e a=''/>", 499) + "<e/>";  // 1,000 items
  EXPECT_TRUE(ReadXml(items + "</r>", &xml, &error, {.depth = 2, .items = 1000})) << error;
  EXPECT_FALSE(ReadXml(items + "<e/></r>", &xml, &error, {.depth = 2, .items = 1000}));
  EXPECT_EQ(error, "more than 1000 elements and attributes (byte 4498)");
  const std::string digits = "<e a='&#" + std::string(100000, '0') + "65;'/>";
  ASSERT_TRUE(ReadXml(digits, &xml, &error)) << error;
  EXPECT_EQ(xml.AttributeValue(xml.elements[0], "a"), "A");
}

}  // namespace
}  // namespace standin
