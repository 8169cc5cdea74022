// Every truncated prefix of every markup construct: the parse must not
// crash, must report the kind of tag the text ended in, and must keep the
// enclosing element usable.
#include <gtest/gtest.h>

#include "xml/XmlDocument.h"
#include "xml/XmlDocumentTestUtil.h"

namespace tembra {
namespace {

using xmltest::Outline;
using xmltest::Report;
using xmltest::U8;

struct Construct {
  const char16_t* text;
  const char* type;      // unterminated type once the construct is recognised
  size_t recognisedAt;   // prefix length from which it is recognised
};

// "<" alone, and "<!" before the character that tells which kind of
// declaration follows, are reported as a "tag".
const Construct kConstructs[] = {
    {u"<a b=\"1>\" c='2' d=e>", "start_tag", 2},
    {u"<a b='x/'/>", "start_tag", 2},
    {u"</r >", "end_tag", 2},
    {u"<!-- c -- > -->", "comment", 3},
    {u"<![CDATA[ ]] > ]]>", "cdata_section", 3},
    {u"<?pi a=\"?\" ?>", "processing_instruction", 2},
    {u"<!DOCTYPE r SYSTEM \"a>b\" [<!ENTITY e \"x>y\"><!-- ]> --><?p ]>?>]>", "document_type", 3},
};

std::string Unterminated(const char* type, size_t offset) {
  return "<unterminated_tag_syntax type=\"" + std::string(type) + "\" offset=\"" + std::to_string(offset) +
         "\"/>";
}

TEST(XmlDocumentTruncation, EveryPrefixOfEveryConstructAlone) {
  for (const Construct& c : kConstructs) {
    const std::u16string full(c.text);
    for (size_t n = 1; n < full.size(); ++n) {
      const std::u16string prefix = full.substr(0, n);
      SCOPED_TRACE(U8(prefix));
      XmlDocument doc;
      EXPECT_FALSE(doc.Parse(prefix));
      const std::string expected = Unterminated(n < c.recognisedAt ? "tag" : c.type, 0);
      EXPECT_EQ(Report(doc).substr(0, expected.size()), expected);
      EXPECT_EQ(Report(doc).substr(expected.size()), "<no_root_element/>");
      EXPECT_EQ(doc.ElementCount(), 0u);
    }
  }
}

TEST(XmlDocumentTruncation, EveryPrefixInsideAnElement) {
  for (const Construct& c : kConstructs) {
    const std::u16string full(c.text);
    for (size_t n = 1; n < full.size(); ++n) {
      const std::u16string text = u"<r>x" + full.substr(0, n);
      SCOPED_TRACE(U8(text));
      XmlDocument doc;
      EXPECT_FALSE(doc.Parse(text));
      EXPECT_EQ(Report(doc), Unterminated(n < c.recognisedAt ? "tag" : c.type, 4) +
                                 "<unended_start_tag tagname=\"r\" offset=\"0\" offset2=\"" +
                                 std::to_string(text.size()) + "\"/>");
      EXPECT_EQ(Outline(doc), "r");
      EXPECT_EQ(doc.Element(1).flags, XmlDocument::kFirstChild | XmlDocument::kUnended);
      doc.ResetPos();
      doc.FindSibling();
      EXPECT_EQ(doc.ReadText(), u"");
    }
  }
}

TEST(XmlDocumentTruncation, WholeConstructsParseCleanly) {
  for (const Construct& c : kConstructs) {
    const std::u16string text = u"<r>" + std::u16string(c.text) + u"</r>";
    SCOPED_TRACE(U8(text));
    XmlDocument doc;
    doc.Parse(text);
    EXPECT_EQ(Report(doc).find("unterminated"), std::string::npos);
    EXPECT_EQ(Report(doc).find("syntax"), std::string::npos);
  }
}

// A prefix cut inside a quoted value of a start tag that is followed by more
// markup must not end the tag at a later '>' outside quotes.
TEST(XmlDocumentTruncation, UnclosedQuoteSwallowsTheRestOfTheText) {
  XmlDocument doc(u"<r><a b=\"1></a><c/></r>");
  EXPECT_EQ(Report(doc), Unterminated("start_tag", 3) +
                             "<unended_start_tag tagname=\"r\" offset=\"0\" offset2=\"23\"/>");
  EXPECT_EQ(Outline(doc), "r");
}

}  // namespace
}  // namespace tembra
