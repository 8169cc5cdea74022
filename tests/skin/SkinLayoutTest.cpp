// The layout model: nesting, typed values, and every problem reported with
// its place instead of a crash.
#include <gtest/gtest.h>

#include <algorithm>

#include "SkinTestSupport.h"
#include "platform/Utf.h"
#include "skin/SkinLayout.h"

namespace tembra {
namespace {

SkinLayout parse(const std::string& xml, const std::string& folder = {}) {
  return SkinLayout::parse(fromUtf8(xml), "Test.xml", folder);
}

bool mentions(const SkinLayout& l, const std::string& text) {
  return std::any_of(l.problems().begin(), l.problems().end(),
                     [&](const SkinProblem& p) { return p.message.find(text) != std::string::npos; });
}

const char* kNested =
    "<Window size=\"400,300\" mininfo=\"200,100\" caption=\"0,0,0,25\" sizebox=\"4,4,4,4\" roundcorner=\"6,6\">\n"
    "  <Font id=\"1\" name=\"Noto Sans\" size=\"13\" bold=\"true\" default=\"true\"/>\n"
    "  <VerticalLayout name=\"outer\" inset=\"1,2,3,4\">\n"
    "    <HorizontalLayout name=\"bar\" height=\"25\" bkcolor=\"#171b22\">\n"
    "      <Button name=\"closebtn\" width=\"30\" normalimage=\"close.png\"/>\n"
    "    </HorizontalLayout>\n"
    "    <Container name=\"body\">\n"
    "      <List name=\"rows\" itemheight=\"32\"/>\n"
    "    </Container>\n"
    "  </VerticalLayout>\n"
    "</Window>\n";

TEST(SkinLayout, NestedControlsKeepTheirTypedValues) {
  SkinLayout l = parse(kNested);
  ASSERT_TRUE(l.ok());
  EXPECT_TRUE(l.problems().empty()) << l.problems().front().toString();
  EXPECT_EQ(l.root().size(u"size"), (SkinSize{400, 300}));
  EXPECT_EQ(l.root().rect(u"sizebox"), (SkinRect{4, 4, 4, 4}));
  ASSERT_EQ(l.root().children.size(), 1u);
  const SkinNode& outer = l.root().children[0];
  EXPECT_EQ(outer.kind, SkinControlKind::VerticalLayout);
  EXPECT_EQ(outer.rect(u"inset"), (SkinRect{1, 2, 3, 4}));
  ASSERT_EQ(outer.children.size(), 2u);
  EXPECT_EQ(outer.children[0].integer(u"height"), 25);
  EXPECT_EQ(outer.children[0].color(u"bkcolor"), 0xFF171B22u);
  const SkinNode* close = l.find(u"closebtn");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->kind, SkinControlKind::Button);
  EXPECT_EQ(close->integer(u"width"), 30);
  EXPECT_EQ(l.find(u"rows")->kind, SkinControlKind::List);
  EXPECT_EQ(l.find(u"missing"), nullptr);
  ASSERT_EQ(l.fonts().size(), 1u);
  EXPECT_EQ(l.fonts()[0].size, 13);
  EXPECT_TRUE(l.fonts()[0].bold);
  EXPECT_EQ(l.images(), std::vector<std::u16string>{u"close.png"});
}

TEST(SkinLayout, UnknownControlIsReportedWithItsPlaceAndSkipped) {
  const std::string xml = "<Window>\n  <Buton name=\"a\"><Button name=\"inner\"/></Buton>\n  <Button name=\"b\"/>\n</Window>";
  SkinLayout l = parse(xml);
  ASSERT_TRUE(l.ok());
  ASSERT_EQ(l.problems().size(), 1u);
  const SkinProblem& p = l.problems()[0];
  EXPECT_EQ(p.file, "Test.xml");
  EXPECT_EQ(p.line, 2);
  EXPECT_EQ(p.column, 3);
  EXPECT_EQ(p.offset, 11u);
  EXPECT_NE(p.message.find("unknown control type 'Buton'"), std::string::npos);
  EXPECT_EQ(l.find(u"inner"), nullptr);
  // The sibling after the skipped subtree is still read, with its own offset.
  ASSERT_NE(l.find(u"b"), nullptr);
  EXPECT_EQ(l.find(u"b")->offset, xml.find("<Button name=\"b\""));
}

TEST(SkinLayout, BadValuesAndUnknownAttributesAreReportedAndLeftOut) {
  SkinLayout l = parse(
      "<Window><Button name=\"a\" width=\"wide\" height=\"12\" bkcolor=\"#12345\" padding=\"1,2,3\" "
      "hotimage=\"../etc/passwd\" colour=\"#ffffff\" visible=\"maybe\"/></Window>");
  ASSERT_TRUE(l.ok());
  const SkinNode* a = l.find(u"a");
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(a->has(u"width"));
  EXPECT_EQ(a->integer(u"height"), 12);
  EXPECT_FALSE(a->has(u"bkcolor"));
  EXPECT_FALSE(a->has(u"padding"));
  EXPECT_FALSE(a->has(u"hotimage"));
  EXPECT_EQ(l.problems().size(), 6u);
  EXPECT_TRUE(mentions(l, "bad value 'wide' of 'width'"));
  EXPECT_TRUE(mentions(l, "bad value '#12345' of 'bkcolor'"));
  EXPECT_TRUE(mentions(l, "bad value '1,2,3' of 'padding'"));
  EXPECT_TRUE(mentions(l, "bad value '../etc/passwd' of 'hotimage'"));
  EXPECT_TRUE(mentions(l, "unknown attribute 'colour'"));
  EXPECT_TRUE(mentions(l, "bad value 'maybe' of 'visible'"));
}

TEST(SkinLayout, NumbersOutsideTheLimitAreRefused) {
  EXPECT_FALSE(parseSkinValue(SkinAttrKind::Int, u"100001"));
  EXPECT_FALSE(parseSkinValue(SkinAttrKind::Int, u"99999999999999999999"));
  EXPECT_EQ(parseSkinValue(SkinAttrKind::Int, u"-100000")->number, -100000);
  EXPECT_FALSE(parseSkinValue(SkinAttrKind::Size, u"-1,4"));
  EXPECT_EQ(parseSkinValue(SkinAttrKind::Color, u"#80102030")->number, static_cast<int>(0x80102030u));
  EXPECT_EQ(parseSkinValue(SkinAttrKind::Align, u"center,vcenter")->number, kAlignHCenter | kAlignVCenter);
  EXPECT_FALSE(parseSkinValue(SkinAttrKind::Align, u"middle"));
  EXPECT_FALSE(parseSkinValue(SkinAttrKind::Image, u""));
  EXPECT_FALSE(parseSkinValue(SkinAttrKind::Image, u"sub/dir.png"));
}

TEST(SkinLayout, ControlsInsideLeafControlsAndMisplacedWindowsAreReported) {
  SkinLayout l = parse("<Window><Button name=\"a\"><Label name=\"x\"/></Button><Container><Window/></Container>"
                       "<Label name=\"after\"/></Window>");
  ASSERT_TRUE(l.ok());
  EXPECT_TRUE(mentions(l, "Button cannot hold controls"));
  EXPECT_TRUE(mentions(l, "a Window can only be the root element"));
  EXPECT_EQ(l.find(u"x"), nullptr);
  EXPECT_NE(l.find(u"after"), nullptr);
}

TEST(SkinLayout, UnusableFilesAreNotOk) {
  EXPECT_FALSE(parse("").ok());
  EXPECT_FALSE(parse("<Container/>").ok());
  EXPECT_TRUE(mentions(parse("<Container/>"), "not 'Window'"));
  SkinLayout missing = SkinLayout::loadFile("/nonexistent-skin", "MainUI.xml");
  EXPECT_FALSE(missing.ok());
  ASSERT_EQ(missing.problems().size(), 1u);
  EXPECT_NE(missing.problems()[0].message.find("cannot read the layout file"), std::string::npos);
}

TEST(SkinLayout, DuplicateNamesAreReported) {
  SkinLayout l = parse("<Window><Button name=\"a\" width=\"1\"/><Label name=\"a\"/></Window>");
  EXPECT_TRUE(mentions(l, "control name 'a' is used twice"));
  EXPECT_EQ(l.find(u"a")->kind, SkinControlKind::Button);
}

TEST(SkinLayout, DeepNestingIsCutOffNotRecursedWithoutEnd) {
  std::string xml = "<Window>";
  for (int i = 0; i < 5000; ++i) xml += "<Container>";
  for (int i = 0; i < 5000; ++i) xml += "</Container>";
  xml += "<Label name=\"tail\"/></Window>";
  SkinLayout l = parse(xml);
  ASSERT_TRUE(l.ok());
  EXPECT_TRUE(mentions(l, "nested deeper than 64"));
  EXPECT_NE(l.find(u"tail"), nullptr);
}

// Every prefix of a layout is either the whole file or reported: never a
// crash, never a silently partial window.
TEST(SkinLayout, EveryTruncatedPrefixIsHandled) {
  const std::string full = kNested;
  for (size_t n = 0; n < full.size(); ++n) {
    const std::string prefix = full.substr(0, n);
    SkinLayout l = parse(prefix);
    const bool complete = prefix.find("</Window>") != std::string::npos;
    if (complete) {
      EXPECT_TRUE(l.ok()) << n;
      continue;
    }
    EXPECT_FALSE(l.ok()) << "prefix of " << n << " characters";
    EXPECT_FALSE(l.problems().empty()) << "prefix of " << n << " characters";
  }
}

TEST(SkinLayout, IncludesInsertTheRootControlOfAnotherFile) {
  test::SkinFolder folder;
  folder.write("Part.xml", "<HorizontalLayout name=\"part\"><Button name=\"partbtn\" widht=\"3\"/></HorizontalLayout>");
  folder.write("Loop.xml", "<Container name=\"loop\"><Include source=\"Loop.xml\"/></Container>");
  folder.write("Main.xml",
               "<Window><Include source=\"Part.xml\"/><Include source=\"Loop.xml\"/>"
               "<Include source=\"Absent.xml\"/><Include source=\"../x.xml\"/></Window>");
  SkinLayout l = SkinLayout::loadFile(folder.path(), "Main.xml");
  ASSERT_TRUE(l.ok());
  ASSERT_NE(l.find(u"partbtn"), nullptr);
  EXPECT_EQ(l.find(u"partbtn")->file, "Part.xml");
  EXPECT_NE(l.find(u"loop"), nullptr);
  EXPECT_TRUE(mentions(l, "includes itself"));
  EXPECT_TRUE(mentions(l, "cannot read the layout file"));
  EXPECT_TRUE(mentions(l, "Include needs source"));
  // A problem inside the included file names that file.
  auto it = std::find_if(l.problems().begin(), l.problems().end(),
                         [](const SkinProblem& p) { return p.message.find("'widht'") != std::string::npos; });
  ASSERT_NE(it, l.problems().end());
  EXPECT_EQ(it->file, "Part.xml");
}

TEST(SkinLayout, NonAsciiTextsSurvive) {
  SkinLayout l = parse("<Window><Label name=\"t\" text=\"Первый &amp; 新闻 समाचार\"/></Window>");
  ASSERT_TRUE(l.ok());
  EXPECT_EQ(toUtf8(l.find(u"t")->text(u"text")), "Первый & 新闻 समाचार");
}

}  // namespace
}  // namespace tembra
