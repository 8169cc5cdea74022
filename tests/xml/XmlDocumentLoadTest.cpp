// Loading files: the file's own report entries come first, then the parse's.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/TestFiles.h"
#include "xml/XmlDocument.h"
#include "xml/XmlDocumentTestUtil.h"

namespace tembra {
namespace {

using xmltest::Report;
using xmltest::U8;

class XmlDocumentLoad : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    test::writeFile(dir_.file(name), bytes);
    return dir_.file(name);
  }
  const test::TempDir dir_{"xmldoc-load"};
};

TEST_F(XmlDocumentLoad, Utf8FileIsParsedAndNavigable) {
  const std::string path = Write("tv.xml", "<root><tv id=\"1\"><tvname>\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9</tvname></tv></root>");
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(path));
  EXPECT_TRUE(doc.IsWellFormed());
  EXPECT_EQ(Report(doc).find("no_root"), std::string::npos);
  ASSERT_TRUE(doc.FindChild(u"tv"));
  EXPECT_EQ(U8(doc.ReadChildAttribute(u"id")), "1");
  doc.EnterChild();
  ASSERT_TRUE(doc.FindChild(u"tvname"));
  EXPECT_EQ(doc.ReadChildText(), u"\u041f\u0435\u0440\u0432\u044b\u0439");
}

TEST_F(XmlDocumentLoad, FileEntriesComeBeforeParseEntries) {
  const std::string path = Write("bad.xml", "\xEF\xBB\xBF<r><a>x</a></b></r>");
  XmlDocument doc;
  EXPECT_FALSE(doc.LoadFile(path));
  const std::string report = Report(doc);
  EXPECT_EQ(report.rfind("<bom/>", 0), 0u) << report;
  const size_t lone = report.find("<lone_end_tag tagname=\"b\" offset=\"11\"/>");
  ASSERT_NE(lone, std::string::npos) << report;
  EXPECT_EQ(report.size(), lone + 39);
  EXPECT_EQ(doc.DocText(), u"<r><a>x</a></b></r>");
  ASSERT_TRUE(doc.FindChild(u"a"));
  EXPECT_EQ(U8(doc.ReadChildText()), "x");
}

TEST_F(XmlDocumentLoad, MissingFileLeavesAnEmptyDocument) {
  XmlDocument doc(u"<old/>");
  EXPECT_FALSE(doc.LoadFile(dir_.file("missing.xml")));
  EXPECT_EQ(Report(doc).rfind("<file_error msg=\"", 0), 0u) << Report(doc);
  EXPECT_EQ(Report(doc).find("no_root"), std::string::npos);
  EXPECT_EQ(doc.DocText(), u"");
  EXPECT_EQ(doc.ElementCount(), 0u);
  EXPECT_FALSE(doc.FindSibling());
  EXPECT_FALSE(doc.IsWellFormed());
}

TEST_F(XmlDocumentLoad, ParseAfterLoadStartsAFreshReport) {
  XmlDocument doc;
  doc.LoadFile(Write("a.xml", "<a/>"));
  EXPECT_FALSE(doc.ResultReport().empty());
  EXPECT_TRUE(doc.Parse(u"<b/>"));
  EXPECT_EQ(Report(doc), "");
}

}  // namespace
}  // namespace tembra
