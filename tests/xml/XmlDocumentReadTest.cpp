// Navigation with the three cursors, element data, attributes and
// character references.
#include <gtest/gtest.h>

#include "xml/XmlDocument.h"
#include "xml/XmlDocumentTestUtil.h"
#include "xml/XmlEntities.h"
#include "xml/XmlReportWriter.h"

namespace tembra {
namespace {

using xmltest::U16;
using xmltest::U8;

const char16_t kGuide[] =
    u"<root>"
    u"<tv id='1'><tvname>One</tvname>"
    u"<tvitem><title>News</title><startdate>2024-01-01</startdate><starttime>06:00</starttime></tvitem>"
    u"<tvitem><title>Film</title><starttime>08:00</starttime></tvitem>"
    u"</tv>"
    u"<tv id='2'/>"
    u"<tv id='3'><tvname>Three</tvname></tv>"
    u"</root>";

TEST(XmlDocumentRead, WalksAGuideReplyTheWayTheGuideDoes) {
  XmlDocument doc(kGuide);
  ASSERT_TRUE(doc.IsWellFormed());
  std::vector<std::string> seen;
  while (doc.FindChild(u"tv")) {
    const std::string id = U8(doc.ReadChildAttribute(u"id"));
    doc.EnterChild();
    std::string line = id + ":";
    if (doc.FindChild(u"tvname")) line += U8(doc.ReadChildText());
    while (doc.FindChild(u"tvitem")) {
      doc.EnterChild();
      doc.FindChild(u"title");
      line += "|" + U8(doc.ReadChildText());
      doc.FindChild(u"starttime");
      line += "@" + U8(doc.ReadChildText());
      doc.LeaveToParent();
    }
    seen.push_back(line);
    doc.LeaveToParent();
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1:One|News@06:00|Film@08:00", "2:", "3:Three"}));
}

TEST(XmlDocumentRead, SearchesOnlyForward) {
  XmlDocument doc(u"<r><name>n</name><id>1</id><name>m</name></r>");
  EXPECT_TRUE(doc.FindChild(u"id"));
  EXPECT_TRUE(doc.FindChild(u"name"));
  EXPECT_EQ(U8(doc.ReadChildText()), "m");
  EXPECT_FALSE(doc.FindChild(u"name"));
  EXPECT_FALSE(doc.FindChild(u"id"));
  EXPECT_EQ(U8(doc.ReadChildText()), "m");  // a failed search moves nothing
  // Leaving and re-entering the parent starts again from its first child.
  doc.ResetPos();
  EXPECT_TRUE(doc.FindSibling(u"r"));
  EXPECT_TRUE(doc.FindChild(u"name"));
  EXPECT_EQ(U8(doc.ReadChildText()), "n");
}

TEST(XmlDocumentRead, FindChildAfterLeavingContinuesAfterTheElementLeft) {
  XmlDocument doc(u"<r><a>1</a><b>2</b><a>3</a></r>");
  ASSERT_TRUE(doc.FindChild(u"b"));
  ASSERT_TRUE(doc.EnterChild());
  EXPECT_EQ(U8(doc.ReadText()), "2");
  ASSERT_TRUE(doc.LeaveToParent());
  EXPECT_EQ(U8(doc.ReadTagName()), "r");
  EXPECT_EQ(U8(doc.ReadChildTagName()), "b");
  ASSERT_TRUE(doc.FindChild(u"a"));
  EXPECT_EQ(U8(doc.ReadChildText()), "3");
  EXPECT_FALSE(doc.LeaveToParent());
}

TEST(XmlDocumentRead, EnterWithoutChildLeavesNoMainElement) {
  XmlDocument doc(u"<r><a/><b>x</b></r>");
  ASSERT_TRUE(doc.FindSibling(u"r"));
  EXPECT_TRUE(doc.EnterChild());
  EXPECT_EQ(doc.ReadTagName(), u"");
  EXPECT_EQ(doc.ReadText(), u"");
  EXPECT_EQ(doc.ReadAttribute(u"x"), u"");
  EXPECT_FALSE(doc.EnterChild());
  // With no main element, the siblings searched are the children of the
  // parent, from the first.
  EXPECT_TRUE(doc.FindSibling(u"b"));
  EXPECT_EQ(U8(doc.ReadText()), "x");
  EXPECT_TRUE(doc.LeaveToParent());
  EXPECT_EQ(U8(doc.ReadTagName()), "r");
}

TEST(XmlDocumentRead, FindChildWithoutMainElementFindsTheRootFirst) {
  XmlDocument doc(u"<!-- c --><r><a/></r>");
  EXPECT_TRUE(doc.FindChild(u"a"));
  EXPECT_EQ(U8(doc.ReadTagName()), "r");
  EXPECT_FALSE(doc.FindSibling());
  EXPECT_EQ(U8(doc.ReadTagName()), "r");
  XmlDocument empty(u"text only");
  EXPECT_FALSE(empty.FindChild());
}

TEST(XmlDocumentRead, ElementData) {
  XmlDocument doc(
      u"<r>"
      u"<mixed>1<![CDATA[<2>]]>3</mixed>"
      u"<parent><e/>text</parent>"
      u"<empty/>"
      u"<blank>  </blank>"
      u"<spaced> <![CDATA[x]]> <!-- c --> <?p i?>y </spaced>"
      u"<refs>a&lt;b&gt;c&amp;d&quot;&apos;&#65;&#x42;&foo;&amp</refs>"
      u"<cdata><![CDATA[a]]]]><![CDATA[>b &amp;]]></cdata>"
      u"<none></none>"
      u"</r>");
  ASSERT_TRUE(doc.IsWellFormed());
  auto child = [&](const char16_t* name) {
    doc.ResetPos();
    doc.FindSibling();
    EXPECT_TRUE(doc.FindChild(name)) << U8(name);
    return U8(doc.ReadChildText());
  };
  EXPECT_EQ(child(u"mixed"), "1<2>3");
  EXPECT_EQ(child(u"parent"), "");
  EXPECT_EQ(child(u"empty"), "");
  EXPECT_EQ(child(u"blank"), "  ");
  EXPECT_EQ(child(u"spaced"), "xy ");
  EXPECT_EQ(child(u"refs"), "a<b>c&d\"'AB&foo;&amp");
  EXPECT_EQ(child(u"cdata"), "a]]>b &amp;");
  EXPECT_EQ(child(u"none"), "");
  doc.ResetPos();
  doc.FindSibling();
  EXPECT_EQ(doc.ReadText(), u"");  // has child elements
}

TEST(XmlDocumentRead, LongTagsKeepTheirExactLengths) {
  const std::u16string value(5'000'000, u'v');
  const std::u16string endSpace(3000, u' ');
  const std::u16string text =
      u"<r><a k='" + value + u"' z='1'>data</a" + endSpace + u"><b>x</b" + endSpace + u"></r>";
  XmlDocument doc(text);
  ASSERT_TRUE(doc.IsWellFormed());
  EXPECT_EQ(doc.Element(2).length, 6 + value.size() + 8 + 4 + 3 + endSpace.size() + 1);
  ASSERT_TRUE(doc.FindChild(u"a"));
  EXPECT_EQ(doc.ReadChildAttribute(u"k").size(), value.size());
  EXPECT_EQ(U8(doc.ReadChildAttribute(u"z")), "1");
  EXPECT_EQ(U8(doc.ReadChildText()), "data");
  ASSERT_TRUE(doc.FindChild(u"b"));
  EXPECT_EQ(U8(doc.ReadChildText()), "x");
}

TEST(XmlDocumentRead, Attributes) {
  XmlDocument doc(u"<r a=1 b='x y' c = \"z\" d e=\"&amp;&#65;&#x41;&foo;\" f='\"' g=\"'\" h=/x></r>");
  ASSERT_TRUE(doc.FindSibling());
  EXPECT_EQ(U8(doc.ReadAttribute(u"a")), "1");
  EXPECT_EQ(U8(doc.ReadAttribute(u"b")), "x y");
  EXPECT_EQ(U8(doc.ReadAttribute(u"c")), "z");
  EXPECT_EQ(U8(doc.ReadAttribute(u"d")), "");
  EXPECT_EQ(U8(doc.ReadAttribute(u"e")), "&AA&foo;");
  EXPECT_EQ(U8(doc.ReadAttribute(u"f")), "\"");
  EXPECT_EQ(U8(doc.ReadAttribute(u"g")), "'");
  EXPECT_EQ(U8(doc.ReadAttribute(u"h")), "/x");
  EXPECT_EQ(U8(doc.ReadAttribute(u"missing")), "");
  EXPECT_EQ(U8(doc.ReadAttribute(u"r")), "");  // the tag name is no attribute
  EXPECT_EQ(U8(doc.ReadAttribute(u"")), "");

  doc.Parse(u"<r><i v=x/><j v='a&amp;b' /></r>");
  ASSERT_TRUE(doc.FindChild(u"i"));
  EXPECT_EQ(U8(doc.ReadChildAttribute(u"v")), "x");
  ASSERT_TRUE(doc.FindChild(u"j"));
  EXPECT_EQ(U8(doc.ReadChildAttribute(u"v")), "a&b");
  EXPECT_EQ(doc.ReadAttribute(u"v"), u"");
}

TEST(XmlDocumentRead, StrayCharactersInTagsAreSkipped) {
  XmlDocument doc(u"<r =\"q\" / b\"c=d\" k='v' ==x/>");
  ASSERT_TRUE(doc.FindSibling(u"r"));
  EXPECT_EQ(U8(doc.ReadAttribute(u"k")), "v");
  EXPECT_EQ(U8(doc.ReadAttribute(u"b\"c")), "d\"");
  EXPECT_EQ(doc.Element(1).length, doc.DocText().size());
}

TEST(XmlDocumentRead, WrittenElementsReadBackUnchanged) {
  const std::u16string value = u"a\"b'c<d>e&f";
  const std::u16string data = u"x]]>y]]]>z <&>";
  std::u16string out = u"<r>";
  XmlReportWriter writer(out);
  writer.WriteElement(u"plain", {{u"v", value}}, data);
  writer.WriteElement(u"cdata", {{u"v", value}, {u"w", u""}}, data, true);
  writer.WriteElement(u"empty", {{u"v", value}});
  out += u"</r>";
  EXPECT_NE(out.find(u"<![CDATA[x]]]]><![CDATA[>y]]]]]><![CDATA[>z <&>]]>"), std::u16string::npos) << U8(out);
  EXPECT_NE(out.find(u"v=\"a&quot;b&apos;c&lt;d&gt;e&amp;f\""), std::u16string::npos) << U8(out);
  XmlDocument doc(out);
  ASSERT_TRUE(doc.IsWellFormed()) << U8(doc.ResultReport());
  for (const char16_t* name : {u"plain", u"cdata", u"empty"}) {
    ASSERT_TRUE(doc.FindChild(name));
    EXPECT_EQ(doc.ReadChildAttribute(u"v"), value);
  }
  doc.ResetPos();
  doc.FindChild(u"plain");
  EXPECT_EQ(doc.ReadChildText(), data);
  doc.FindChild(u"cdata");
  EXPECT_EQ(doc.ReadChildText(), data);
}

TEST(XmlDocumentRead, NumericReferences) {
  auto decode = [](const char16_t* s) { return XmlEntities::Decode(s); };
  EXPECT_EQ(decode(u"&#128512;&#x1F600;"), u"\U0001F600\U0001F600");
  EXPECT_EQ(decode(u"&#1114111;"), u"\U0010FFFF");
  EXPECT_EQ(decode(u"&#0;&#x0;&#xD800;&#57343;&#x110000;&#99999999;"),
            u"&#0;&#x0;&#xD800;&#57343;&#x110000;&#99999999;");
  EXPECT_EQ(decode(u"&#;&#x;&#12a;&#xG;&#X41;"), u"&#;&#x;&#12a;&#xG;&#X41;");
  EXPECT_EQ(decode(u"&#x0000041;"), u"A");       // 9 characters before ';'
  EXPECT_EQ(decode(u"&#x00000041;"), u"&#x00000041;");  // 10 is too many
  EXPECT_EQ(decode(u"&#x10ffff;&#xAbC;"), u"\U0010FFFF\u0abc");
}

TEST(XmlDocumentRead, NamedReferences) {
  auto decode = [](const char16_t* s) { return XmlEntities::Decode(s); };
  EXPECT_EQ(decode(u"&nbsp;&copy;&eacute;&Eacute;&euro;&hellip;&diams;&thetasym;"),
            u"\u00a0\u00a9\u00e9\u00c9\u20ac\u2026\u2666\u03d1");
  EXPECT_EQ(decode(u"&alpha;&Alpha;&AMP;&Lt;&EURO;"), u"\u03b1\u0391&<\u20ac");
  EXPECT_EQ(decode(u"&;&&amp;&unknown;&amp &verylongname;"), u"&;&&&unknown;&amp &verylongname;");
  EXPECT_EQ(decode(u"a & b &lt; c"), u"a & b < c");
  EXPECT_EQ(decode(u"&\u00e9;&amp\u00e9;"), u"&\u00e9;&amp\u00e9;");
  EXPECT_EQ(XmlEntities::Count(), 253u);
  EXPECT_EQ(XmlEntities::Lookup(u"spades"), 0x2660u);
  EXPECT_EQ(XmlEntities::Lookup(u"yuml"), 0xFFu);
  EXPECT_EQ(XmlEntities::Lookup(u"Yuml"), 0x178u);
  EXPECT_EQ(XmlEntities::Lookup(u"oelig"), 0x153u);
  EXPECT_EQ(XmlEntities::Lookup(u"rang"), 0x232Au);
  EXPECT_EQ(XmlEntities::Lookup(u""), 0u);
}

}  // namespace
}  // namespace tembra
