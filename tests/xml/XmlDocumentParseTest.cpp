// The parse pass: the index it builds and the report entries it writes for
// every kind of problem.
#include <gtest/gtest.h>

#include "xml/XmlDocument.h"
#include "xml/XmlDocumentTestUtil.h"

namespace tembra {
namespace {

using xmltest::EntryCount;
using xmltest::Outline;
using xmltest::Report;
using xmltest::U16;
using xmltest::U8;

constexpr uint32_t kFirst = XmlDocument::kFirstChild;
constexpr uint32_t kUnended = XmlDocument::kUnended;
constexpr uint32_t kIllData = XmlDocument::kIllData;

TEST(XmlDocumentParse, WellFormedDocumentHasEmptyReportAndFullIndex) {
  XmlDocument doc(u"<?xml version=\"1.0\"?>\n<!DOCTYPE r>\n<r a='1'><a/><b><c>x</c><!-- d --></b></r>\n");
  EXPECT_TRUE(doc.IsWellFormed());
  EXPECT_EQ(Report(doc), "");
  EXPECT_EQ(Outline(doc), "r(a,b(c))");
  ASSERT_EQ(doc.ElementCount(), 4u);
  const auto r = doc.Element(1);
  EXPECT_EQ(U8(r.name), "r");
  EXPECT_EQ(r.level, 0u);
  EXPECT_EQ(r.start, 35u);
  EXPECT_EQ(r.length, 42u);
  EXPECT_EQ(r.flags, kFirst);
  EXPECT_EQ(doc.Element(2).flags, kFirst);
  EXPECT_EQ(doc.Element(2).length, 4u);
  EXPECT_EQ(doc.Element(3).flags, 0u);
  EXPECT_EQ(doc.Element(4).level, 2u);
  EXPECT_EQ(doc.Element(4).flags, kFirst);
  EXPECT_EQ(U8(doc.Element(4).name), "c");
  EXPECT_EQ(doc.Element(5).name, u"");
  EXPECT_EQ(doc.Element(0).name, u"");
}

TEST(XmlDocumentParse, UnendedChildClosedByEndTagOfItsParent) {
  XmlDocument doc;
  EXPECT_TRUE(doc.Parse(u"<a><b></a>"));
  EXPECT_EQ(Report(doc), "<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"6\"/>");
  EXPECT_EQ(Outline(doc), "a(b)");
  EXPECT_EQ(doc.Element(1).length, 10u);
  EXPECT_EQ(doc.Element(1).flags, kFirst);
  EXPECT_EQ(doc.Element(2).length, 3u);
  EXPECT_EQ(doc.Element(2).flags, kFirst | kUnended);
  doc.FindChild(u"b");
  EXPECT_EQ(U8(doc.ReadChildText()), "");
}

TEST(XmlDocumentParse, ChildrenOfUnendedElementsBecomeItsFollowingSiblings) {
  XmlDocument doc(u"<r><a><b><c/>t</b><d></r><e/>");
  EXPECT_EQ(Report(doc),
            "<unended_start_tag tagname=\"d\" offset=\"18\" offset2=\"21\"/>"
            "<unended_start_tag tagname=\"a\" offset=\"3\" offset2=\"21\"/>"
            "<root_has_sibling/>");
  EXPECT_EQ(Outline(doc), "r(a,b(c),d) e");
  EXPECT_EQ(doc.Element(3).level, 1u);  // b moved up a level
  EXPECT_EQ(doc.Element(4).level, 2u);  // and its child with it
  EXPECT_EQ(doc.Element(3).flags, 0u);
  EXPECT_EQ(doc.Element(2).flags, kFirst | kUnended);
  // Navigation from a moved element leads to its new parent.
  doc.ResetPos();
  doc.FindSibling(u"r");
  doc.FindChild(u"b");
  doc.EnterChild();
  EXPECT_TRUE(doc.LeaveToParent());
  EXPECT_EQ(U8(doc.ReadTagName()), "r");
  EXPECT_TRUE(doc.FindChild());
  EXPECT_EQ(U8(doc.ReadChildTagName()), "d");
}

TEST(XmlDocumentParse, ElementsOpenAtTheEndOfTheTextAreUnended) {
  XmlDocument doc(u"<a><b>text");
  EXPECT_EQ(Report(doc),
            "<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"10\"/>"
            "<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"10\"/>"
            "<root_has_sibling/>");
  EXPECT_EQ(Outline(doc), "a b");
  EXPECT_EQ(doc.Element(2).level, 0u);
}

TEST(XmlDocumentParse, LoneEndTagMakesTheDocumentIllFormed) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u"<a>x</b>y</a>"));
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_EQ(Report(doc), "<lone_end_tag tagname=\"b\" offset=\"4\"/>");
  EXPECT_EQ(Outline(doc), "a");
  EXPECT_EQ(doc.Element(1).length, 13u);
  EXPECT_EQ(doc.Element(1).flags, kFirst | kIllData);
  doc.FindSibling();
  EXPECT_EQ(U8(doc.ReadText()), "xy");
}

TEST(XmlDocumentParse, LoneEndTagAtTopLevel) {
  XmlDocument doc(u"</x><r/>");
  EXPECT_EQ(Report(doc), "<lone_end_tag tagname=\"x\" offset=\"0\"/>");
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_EQ(doc.Element(1).flags, kFirst);
}

TEST(XmlDocumentParse, EndTagNameMustBeWholeAndEndAtSpaceOrBracket) {
  XmlDocument doc(u"<ab><a></ab ></a/></a></ab>");
  EXPECT_EQ(Report(doc),
            "<unended_start_tag tagname=\"a\" offset=\"4\" offset2=\"7\"/>"
            "<lone_end_tag tagname=\"a/\" offset=\"13\"/>"
            "<lone_end_tag tagname=\"a\" offset=\"18\"/>"
            "<lone_end_tag tagname=\"ab\" offset=\"22\"/>");
  EXPECT_EQ(Outline(doc), "ab(a)");
}

TEST(XmlDocumentParse, RootSiblingAndMissingRoot) {
  XmlDocument doc(u"<a/><b/>");
  EXPECT_EQ(Report(doc), "<root_has_sibling/>");
  EXPECT_EQ(Outline(doc), "a b");
  EXPECT_TRUE(doc.Parse(u""));
  EXPECT_EQ(Report(doc), "<no_root_element/>");
  EXPECT_EQ(doc.ElementCount(), 0u);
  EXPECT_FALSE(doc.FindSibling());
  doc.Parse(u"just text <!-- and a comment -->");
  EXPECT_EQ(Report(doc), "<no_root_element/>");
}

TEST(XmlDocumentParse, EachTokenErrorHasItsEntryAndMarksTheCurrentElement) {
  struct Case {
    const char16_t* text;
    const char* report;
  };
  const Case cases[] = {
      {u"<r>a <1 b</r>", "<first_tag_syntax offset=\"5\"/>"},
      {u"<r>a < b</r>", "<first_tag_syntax offset=\"5\"/>"},
      {u"<r><!x></r>", "<exclamation_tag_syntax offset=\"3\"/>"},
      {u"<r><!-x--></r>", "<comment_tag_syntax offset=\"3\"/>"},
      {u"<r><![x[]]></r>", "<cdata_section_syntax offset=\"3\"/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.text));
    XmlDocument doc;
    EXPECT_FALSE(doc.Parse(c.text));
    EXPECT_EQ(Report(doc), c.report);
    EXPECT_EQ(doc.Element(1).flags, kFirst | kIllData);
    EXPECT_EQ(doc.Element(1).length, std::u16string_view(c.text).size());
  }
}

TEST(XmlDocumentParse, MarkupErrorsLeaveTheCharactersInTheData) {
  XmlDocument doc(u"<r>a < b &amp; <!x</r>");
  doc.FindSibling();
  EXPECT_EQ(U8(doc.ReadText()), "a < b & <!x");
}

TEST(XmlDocumentParse, DoctypeWithInternalSubset) {
  XmlDocument doc(
      u"<!DOCTYPE r SYSTEM \"a>b\" [\n<!ENTITY e \"x>]y\">\n<!-- ]> -->\n<?p ]>?>\n%pe;\n]>\n<r/>");
  EXPECT_TRUE(doc.IsWellFormed());
  EXPECT_EQ(Report(doc), "");
  EXPECT_EQ(Outline(doc), "r");
}

TEST(XmlDocumentParse, UnexpectedMarkupInsideDoctypeEndsIt) {
  XmlDocument doc(u"<!DOCTYPE r [<!ENTITY e 'x'> <r>t</r>");
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_EQ(Report(doc), "<doctype_tag_syntax offset=\"29\"/>");
  EXPECT_EQ(Outline(doc), "r");
  doc.Parse(u"<!DOCTYPE r <r/>");
  EXPECT_EQ(Report(doc), "<doctype_tag_syntax offset=\"12\"/>");
  EXPECT_EQ(Outline(doc), "r");
}

TEST(XmlDocumentParse, QuotedGreaterThanDoesNotEndATag) {
  XmlDocument doc(u"<r a=\"x>y\" b='<z>'>t</r>");
  EXPECT_EQ(Report(doc), "");
  EXPECT_EQ(doc.ElementCount(), 1u);
  doc.FindSibling();
  EXPECT_EQ(U8(doc.ReadAttribute(u"a")), "x>y");
  EXPECT_EQ(U8(doc.ReadAttribute(u"b")), "<z>");
  EXPECT_EQ(U8(doc.ReadText()), "t");
}

TEST(XmlDocumentParse, TagNameStartCharacters) {
  XmlDocument doc(u"<r><_a/><:b/><\u00e9c/><{d/><\u4e2d/></r>");
  EXPECT_EQ(Report(doc), "");
  EXPECT_EQ(Outline(doc), "r(_a,:b,\u00e9c,{d,\u4e2d)");
  for (const char16_t* bad : {u"<r><1/></r>", u"<r><@/></r>", u"<r><[/></r>", u"<r><`/></r>", u"<r><-/></r>"}) {
    doc.Parse(bad);
    EXPECT_EQ(Report(doc), "<first_tag_syntax offset=\"3\"/>") << U8(bad);
  }
}

TEST(XmlDocumentParse, IgnoreCaseOption) {
  XmlDocument doc;
  doc.SetDocFlags(XmlDocument::kIgnoreCase);
  EXPECT_EQ(doc.GetDocFlags(), XmlDocument::kIgnoreCase);
  EXPECT_TRUE(doc.Parse(u"<Root><Item ID='7'>\u00c9t\u00c9</ITEM></root>"));
  EXPECT_EQ(Report(doc), "");
  EXPECT_TRUE(doc.FindSibling(u"ROOT"));
  EXPECT_TRUE(doc.FindChild(u"item"));
  EXPECT_EQ(U8(doc.ReadChildAttribute(u"id")), "7");
  EXPECT_EQ(U8(doc.ReadChildText()), "\u00c9t\u00c9");

  XmlDocument exact;
  EXPECT_FALSE(exact.Parse(u"<Root><Item ID='7'>x</ITEM></Item></Root>"));
  EXPECT_EQ(Report(exact), "<lone_end_tag tagname=\"ITEM\" offset=\"20\"/>");
  EXPECT_FALSE(exact.FindSibling(u"ROOT"));
  EXPECT_TRUE(exact.FindSibling(u"Root"));
  EXPECT_FALSE(exact.FindChild(u"item"));
  EXPECT_TRUE(exact.FindChild(u"Item"));
  EXPECT_EQ(U8(exact.ReadChildAttribute(u"id")), "");
  EXPECT_EQ(U8(exact.ReadChildAttribute(u"ID")), "7");
}

TEST(XmlDocumentParse, IgnoreCaseFoldsNonAsciiLetters) {
  XmlDocument doc;
  doc.SetDocFlags(XmlDocument::kIgnoreCase);
  EXPECT_TRUE(doc.Parse(u"<\u041a\u0430\u043d\u0430\u043b></\u043a\u0410\u041d\u0410\u041b>"));
  EXPECT_EQ(Report(doc), "");
}

TEST(XmlDocumentParse, IllDataFlagMovesUpWithUnendedElements) {
  XmlDocument doc(u"<r><p><u>1 < 2</r>");
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_EQ(doc.Element(1).flags, kFirst | kIllData);
  EXPECT_EQ(doc.Element(2).flags, kFirst | kUnended);
  EXPECT_EQ(doc.Element(3).flags, kUnended);
  EXPECT_EQ(Outline(doc), "r(p,u)");
}

TEST(XmlDocumentParse, ReportStopsGrowingPastItsLimit) {
  std::u16string text = u"<r>";
  for (int i = 0; i < 200; ++i) text += u"</x>";
  text += u"</r>";
  XmlDocument doc(text);
  const std::u16string& report = doc.ResultReport();
  ASSERT_GT(report.size(), 999u);
  const size_t lastEntry = report.rfind(u'<');
  EXPECT_LE(lastEntry, 999u);
  EXPECT_EQ(report.substr(report.size() - 2), u"/>");
  EXPECT_LT(EntryCount(doc), 200u);
  EXPECT_EQ(report.substr(lastEntry, 13), u"<lone_end_tag");
  EXPECT_EQ(Outline(doc), "r");
}

TEST(XmlDocumentParse, ParseReplacesTheDocument) {
  XmlDocument doc(u"<a><b/></a>");
  doc.FindSibling();
  doc.FindChild();
  EXPECT_FALSE(doc.Parse(u"<c></d></c>"));
  EXPECT_EQ(U8(doc.ReadTagName()), "");
  EXPECT_EQ(U8(doc.ReadChildTagName()), "");
  EXPECT_EQ(Outline(doc), "c");
  EXPECT_TRUE(doc.Parse(u"<e/>"));
  EXPECT_EQ(Report(doc), "");
  EXPECT_TRUE(doc.IsWellFormed());
  EXPECT_EQ(doc.DocText(), u"<e/>");
}

TEST(XmlDocumentParse, ParseOfItsOwnTextIsSafe) {
  XmlDocument doc(u"<a><b>x</b></a>");
  EXPECT_TRUE(doc.Parse(std::u16string_view(doc.DocText()).substr(3, 8)));
  EXPECT_EQ(doc.DocText(), u"<b>x</b>");
  EXPECT_EQ(Outline(doc), "b");
}

TEST(XmlDocumentParse, StreamingModesRefuseParsingAndNavigation) {
  XmlDocument doc(u"<a><b/></a>");
  doc.SetDocFlags(XmlDocument::kReadFile);
  EXPECT_FALSE(doc.Parse(u"<c/>"));
  EXPECT_FALSE(doc.FindSibling());
  EXPECT_FALSE(doc.FindChild());
  doc.SetDocFlags(XmlDocument::kWriteFile);
  EXPECT_FALSE(doc.FindSibling());
  doc.SetDocFlags(0);
  EXPECT_EQ(doc.DocText(), u"<a><b/></a>");
  EXPECT_TRUE(doc.FindSibling(u"a"));
}

TEST(XmlDocumentParse, FreshDocumentIsEmpty) {
  XmlDocument doc;
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_FALSE(doc.FindSibling());
  EXPECT_FALSE(doc.FindChild());
  EXPECT_FALSE(doc.EnterChild());
  EXPECT_FALSE(doc.LeaveToParent());
  EXPECT_EQ(doc.ReadText(), u"");
  EXPECT_EQ(doc.ReadAttribute(u"a"), u"");
  EXPECT_EQ(doc.ElementCount(), 0u);
}

TEST(XmlDocumentParse, TextOfTwoGigaCharactersIsRefused) {
  XmlDocument doc(u"<a/>");
  // Only the length is looked at: a text this long must be refused before
  // any of it is read or copied.
  const char16_t probe[1] = {u'<'};
  const std::u16string_view huge(probe, size_t(1) << 31);
  EXPECT_FALSE(doc.Parse(huge));
  EXPECT_EQ(Report(doc), "<document_too_large length=\"2147483648\"/>");
  EXPECT_EQ(doc.DocText(), u"");
  EXPECT_EQ(doc.ElementCount(), 0u);
  EXPECT_FALSE(doc.FindSibling());
  EXPECT_FALSE(doc.IsWellFormed());
}

}  // namespace
}  // namespace tembra
