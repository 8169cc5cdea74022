#include "guide/GuideReplyParser.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "guide/GuideDayList.h"
#include "guide/GuideTestSupport.h"

namespace tembra {
namespace {

std::vector<GuideChannelDay> parse(const std::u16string& text) { return GuideReplyParser::ParseText(text, u"07"); }

TEST(GuideReplyParser, ChannelsEntriesAndDayKeyInFileOrder) {
  auto channels = parse(
      u"<?xml version=\"1.0\"?><anything><tv id=\"b\"><tvname>Beta &amp; Co</tvname>"
      u"<tvitem><title>News</title><startdate>2024-05-07</startdate><enddate>2024-05-07</enddate>"
      u"<starttime>10:00:00</starttime></tvitem>"
      u"<tvitem><title>Film</title><startdate>s</startdate><enddate>e</enddate><starttime>09:00:00</starttime>"
      u"</tvitem></tv><tv id=\"a\"/></anything>");
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels[0].id, u"b");
  EXPECT_EQ(channels[0].name, u"Beta & Co");
  EXPECT_EQ(channels[0].dayKey, u"07");
  ASSERT_EQ(channels[0].entries.size(), 2u);
  EXPECT_EQ(channels[0].entries[0], (GuideEntry{u"News", u"2024-05-07", u"2024-05-07", u"10:00:00"}));
  // Never sorted.
  EXPECT_EQ(channels[0].entries[1].starttime, u"09:00:00");
  EXPECT_EQ(channels[1].id, u"a");
  EXPECT_TRUE(channels[1].name.empty());
  EXPECT_TRUE(channels[1].entries.empty());
}

TEST(GuideReplyParser, DuplicateIdsKeepTheFirstChannelOnly) {
  auto channels = parse(
      u"<r><tv id=\"1\"><tvname>First</tvname><tvitem><title>A</title></tvitem></tv>"
      u"<tv id=\"2\"><tvname>Two</tvname></tv>"
      u"<tv id=\"1\"><tvname>Second</tvname><tvitem><title>B</title></tvitem><tvitem/></tv>"
      u"<tv id=\"1 \"><tvname>Spaced</tvname></tv><tv id=\"\"><tvname>NoId</tvname></tv>"
      u"<tv><tvname>AlsoNoId</tvname></tv></r>");
  ASSERT_EQ(channels.size(), 4u);
  EXPECT_EQ(channels[0].name, u"First");
  ASSERT_EQ(channels[0].entries.size(), 1u);
  EXPECT_EQ(channels[0].entries[0].title, u"A");
  EXPECT_EQ(channels[1].id, u"2");
  EXPECT_EQ(channels[2].id, u"1 ");  // exact comparison: a space makes another id
  EXPECT_EQ(channels[3].name, u"NoId");  // a missing id is the empty id, seen once already
  GuideDayList list(std::move(channels));
  ASSERT_TRUE(list.Find(u"1"));
  EXPECT_EQ(list.Find(u"1")->name, u"First");
  EXPECT_FALSE(list.Find(u"3"));
}

TEST(GuideReplyParser, ChildrenAreSearchedForwardOnly) {
  auto channels = parse(
      u"<r><tv id=\"1\"><tvitem><title>BeforeName</title></tvitem><tvname>One</tvname>"
      u"<tvitem><starttime>08:00:00</starttime><title>LateTitle</title></tvitem>"
      u"<tvitem><enddate>e</enddate><startdate>s</startdate><starttime>t</starttime></tvitem>"
      u"<other><tvitem><title>Nested</title></tvitem></other>"
      u"<tvitem><title>T</title><x/><startdate>s</startdate></tvitem></tv></r>");
  ASSERT_EQ(channels.size(), 1u);
  const auto& e = channels[0].entries;
  EXPECT_EQ(channels[0].name, u"One");
  ASSERT_EQ(e.size(), 3u) << "the tvitem before tvname and the nested one are not programmes";
  // title after starttime: title is found, starttime (searched after it) is not.
  EXPECT_EQ(e[0].title, u"LateTitle");
  EXPECT_EQ(e[0].starttime, u"");
  // No title: the search for startdate starts at the first child.
  EXPECT_EQ(e[1].title, u"");
  EXPECT_EQ(e[1].startdate, u"s");
  EXPECT_EQ(e[1].enddate, u"") << "enddate came before startdate";
  EXPECT_EQ(e[1].starttime, u"t");
  EXPECT_EQ(e[2].title, u"T");
  EXPECT_EQ(e[2].startdate, u"s");
}

TEST(GuideReplyParser, WhatIsNotAGuideGivesNoChannels) {
  for (std::u16string text : {std::u16string(), std::u16string(u"not xml at all"), std::u16string(u"<html><body>404</body></html>"), std::u16string(u"<r><tvx id=\"1\"/></r>")}) {
    EXPECT_TRUE(parse(text).empty()) << std::string(text.begin(), text.end());
  }
  // A cut-off reply: the document closes no element it did not see closed,
  // so an unended root has no children and the day gets no channels.
  EXPECT_TRUE(parse(u"<r><tv id=\"1\"><tvname>One</tvname><tvitem><title>Th").empty());
  EXPECT_TRUE(parse(u"<r><tv id=\"1\"><tvname>One</tvname></tv><tv id=\"2\"><tvitem><title>Th").empty());
  // A cut inside the last channel's programme list, root closed, keeps the
  // whole of the channels before it.
  auto channels = parse(u"<r><tv id=\"1\"><tvname>One</tvname></tv><tv id=\"2\"><tvitem><title>T</r>");
  ASSERT_GE(channels.size(), 1u);
  EXPECT_EQ(channels[0].name, u"One");
}

// Broken (to be asked for again) against merely empty (a day without
// programmes).
TEST(GuideReplyParser, BrokenRepliesAreToldFromEmptyOnes) {
  auto complete = [](std::u16string_view text) {
    XmlDocument doc(text);
    return GuideReplyParser::Complete(doc);
  };
  EXPECT_TRUE(complete(u""));
  EXPECT_TRUE(complete(u"<html><body>404</body></html>"));
  EXPECT_TRUE(complete(u"<r><tvx id=\"1\"/></r>"));
  EXPECT_TRUE(complete(u"<r><tv id=\"1\"><tvname>One</tvname></tv><tv id=\"2\"><tvitem><title>T</r>"))
      << "the root ended: a complete reply with a short last channel";
  EXPECT_FALSE(complete(u"<r><tv id=\"1\"><tvname>One</tvname><tvitem><title>Th")) << "cut off";
  EXPECT_FALSE(complete(u"<r><tv id=\"1\"><tvname>One</tvname></tv>")) << "cut off after a channel";
  EXPECT_FALSE(complete(u"<r><tv id=\"1\"></x></tv></r>")) << "a lone end tag";

  test::TempDir dir("guide-parse");
  test::writeFile(dir.file("cut.xml"), "<?xml version=\"1.0\"?><r><tv id=\"1\"><tvname>One</tvname>");
  bool whole = true;
  ASSERT_TRUE(GuideReplyParser::ParseFile(dir.file("cut.xml"), u"07", 1000, &whole));
  EXPECT_FALSE(whole);
  test::writeFile(dir.file("empty.xml"), "<r></r>");
  ASSERT_TRUE(GuideReplyParser::ParseFile(dir.file("empty.xml"), u"07", 1000, &whole));
  EXPECT_TRUE(whole);
}

TEST(GuideReplyParser, FilesOverTheLimitAreNotReadAndMissingFilesGiveNothing) {
  test::TempDir dir("guide-parse");
  const std::string body = test::ReplyBody({{"1", "One", {"10:00:00|A"}}});
  test::writeFile(dir.file("tv.xml"), body);
  auto read = GuideReplyParser::ParseFile(dir.file("tv.xml"), u"07", body.size());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->size(), 1u);
  EXPECT_FALSE(GuideReplyParser::ParseFile(dir.file("tv.xml"), u"07", body.size() - 1));
  read = GuideReplyParser::ParseFile(dir.file("missing.xml"), u"07", 1000);
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->empty());
}

}  // namespace
}  // namespace tembra
