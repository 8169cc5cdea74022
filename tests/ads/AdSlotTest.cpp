#include "ads/AdSlot.h"

#include <gtest/gtest.h>

#include <limits>

#include "ads/AdManifest.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

TEST(AdSlot, NumbersReadLikeTheStoredTimesAreWritten) {
  struct Case {
    const char16_t* text;
    int64_t value;
  };
  const Case cases[] = {
      {u"101", 101},          {u"  42", 42},          {u"+7", 7},         {u"-12", -12},
      {u"15abc", 15},         {u"abc", 0},            {u"", 0},           {u"- 5", 0},
      {u"\t 9 9", 9},         {u"1700000000123", 1700000000123},
      {u"9223372036854775807", std::numeric_limits<int64_t>::max()},
      {u"99999999999999999999", std::numeric_limits<int64_t>::max()},
      {u"-9223372036854775808", std::numeric_limits<int64_t>::min()},
      {u"-99999999999999999999", std::numeric_limits<int64_t>::min()},
  };
  for (const Case& c : cases) EXPECT_EQ(AdSlot::ParseNumber(c.text), c.value) << toUtf8(c.text);
}

TEST(AdSlot, StoredValueFormsSplitAtTheFirstSeparator) {
  EXPECT_EQ(AdSlot::StoredTime(u"101<EOF>Advertise\\Fix\\index.html"), 101);
  EXPECT_EQ(AdSlot::PagePart(u"101<EOF>Advertise\\Fix\\index.html"), u"Advertise\\Fix\\index.html");
  EXPECT_EQ(AdSlot::StoredTime(u"http://ads.example/page"), 0) << "link form has no time";
  EXPECT_EQ(AdSlot::PagePart(u"http://ads.example/page"), u"http://ads.example/page");
  EXPECT_EQ(AdSlot::StoredTime(u""), 0);
  EXPECT_EQ(AdSlot::StoredTime(u"<EOF>x"), 0);
  EXPECT_EQ(AdSlot::StoredTime(u"5<EOF>6<EOF>x"), 5);
  EXPECT_EQ(AdSlot::PagePart(u"5<EOF>6<EOF>x"), u"6<EOF>x");
}

TEST(AdSlot, SlotsByKeyAndTheirPackageValues) {
  ASSERT_EQ(AdSlot::Find(u"WEB_TV_AD_RIGHT"), &AdSlot::Right());
  ASSERT_EQ(AdSlot::Find(u"WEB_TV_AD_POP"), &AdSlot::Pop());
  EXPECT_EQ(AdSlot::Find(u"web_tv_ad_right"), nullptr) << "keys are case-sensitive";
  EXPECT_EQ(AdSlot::Find(u"WEB_TV_AD_RIGHT "), nullptr);
  EXPECT_EQ(AdSlot::Right().PackageValue(101), u"101<EOF>Advertise\\Fix\\index.html");
  EXPECT_EQ(AdSlot::Pop().PackageValue(7), u"7<EOF>Advertise\\Pop\\index.html");
  EXPECT_EQ(AdSlot::Right().folder, "Advertise/Fix");
  EXPECT_EQ(AdSlot::Pop().packageFile, "Advertise/Pop.zip");
  EXPECT_TRUE(AdSlot::Right().notifiesWindow);
  EXPECT_FALSE(AdSlot::Pop().notifiesWindow);
}

TEST(AdManifest, AdsInDocumentOrderWithMissingChildrenEmpty) {
  auto ads = AdManifest::Parse(
      u"<?xml version=\"1.0\"?><result>"
      u"<ad><key>WEB_TV_AD_RIGHT</key><type>2</type><modifyTime>101</modifyTime><filePath>http://h/f.zip</filePath></ad>"
      u"<ad><key>OTHER</key></ad>"
      u"<ad><key>WEB_TV_AD_POP</key><modifyTime>5</modifyTime><filePath>http://h/p.zip</filePath></ad>"
      u"</result>");
  ASSERT_TRUE(ads.has_value());
  ASSERT_EQ(ads->size(), 3u);
  EXPECT_EQ((*ads)[0].key, u"WEB_TV_AD_RIGHT");
  EXPECT_EQ((*ads)[0].type, u"2");
  EXPECT_EQ((*ads)[0].modifyTime, u"101");
  EXPECT_EQ((*ads)[0].filePath, u"http://h/f.zip");
  EXPECT_EQ((*ads)[1].key, u"OTHER");
  EXPECT_TRUE((*ads)[1].filePath.empty());
  EXPECT_TRUE((*ads)[2].type.empty());
  EXPECT_EQ((*ads)[2].filePath, u"http://h/p.zip");
}

TEST(AdManifest, ChildrenAreExpectedInTheirOrder) {
  // type before key: the key search has passed it, so type reads empty.
  auto ads = AdManifest::Parse(u"<result><ad><type>1</type><key>K</key><modifyTime>3</modifyTime></ad></result>");
  ASSERT_TRUE(ads.has_value());
  ASSERT_EQ(ads->size(), 1u);
  EXPECT_EQ((*ads)[0].key, u"K");
  EXPECT_TRUE((*ads)[0].type.empty());
  EXPECT_EQ((*ads)[0].modifyTime, u"3");
}

TEST(AdManifest, RepliesWithoutAResultElementAreNoManifest) {
  EXPECT_FALSE(AdManifest::Parse(u"").has_value());
  EXPECT_FALSE(AdManifest::Parse(u"<html><body>404 Not Found</body></html>").has_value());
  EXPECT_FALSE(AdManifest::Parse(u"not xml at all").has_value());
  auto empty = AdManifest::Parse(u"<result></result>");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
}

}  // namespace
}  // namespace tembra
