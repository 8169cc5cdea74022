#include "stats/StatsRecord.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"
#include "stats/StatsTestSupport.h"

namespace tembra {
namespace {

using test::utc;

std::string u8(const std::u16string& s) { return toUtf8(s); }

TEST(StatsRecord, StartRecordReadsByteForByte) {
  const int64_t t = utc(2011, 5, 4, 20, 15, 9);
  const auto header = StatsRecord::Header(u"00-1A-2B-3C-4D-5E", u"Microsoft Windows XP Professional",
                                          StatsRecord::LocalTime(t, 0));
  EXPECT_EQ(u8(StatsRecord::Record(header, StatsRecord::StartBody())),
            R"({{"PC","00-1A-2B-3C-4D-5E","windows","Microsoft Windows XP Professional","hi_IN","2011-05-04 20:15:09","1"},{"00006",{"240011","1.0.2","hi_IN"}}})");
}

TEST(StatsRecord, HeaderTimeIsCorrectedByTheServerOffsetAndOsNameMayBeEmpty) {
  const int64_t t = utc(2011, 5, 4, 23, 59, 50);
  EXPECT_EQ(u8(StatsRecord::Header(u"", u"", StatsRecord::LocalTime(t, 0))),
            R"({"PC","","windows","","hi_IN","2011-05-04 23:59:50","1"})");
  // Ten seconds ahead crosses midnight; a negative offset goes back.
  EXPECT_EQ(u8(StatsRecord::LocalTime(t, 10)), "2011-05-05 00:00:00");
  EXPECT_EQ(u8(StatsRecord::LocalTime(t, -3600)), "2011-05-04 22:59:50");
  // A corrected moment that cannot be broken down falls back to plain time.
  EXPECT_EQ(u8(StatsRecord::LocalTime(t, INT64_MAX / 2)), "2011-05-04 23:59:50");
}

TEST(StatsRecord, EventBodiesCarryTheirCodesAndValuesInOrder) {
  EXPECT_EQ(u8(StatsRecord::CatalogueBody(3)), R"({"02008",{"240011","3"}})");
  EXPECT_EQ(u8(StatsRecord::StartupBody(4294967295u)),
            R"({"06001",{"240011","1.0.2","hi_IN","4294967295"}})");
  EXPECT_EQ(u8(StatsRecord::CloseBody()), R"({"00007",{"240011","1.0.2","hi_IN"}})");
  EXPECT_EQ(u8(StatsRecord::WatchBody(0, u"10002", u"संगम Beats", 121, u"1", u"News")),
            R"({"02011",{"0","240011","10002","संगम Beats","121","1","News"}})");
  EXPECT_EQ(u8(StatsRecord::WatchBody(-1, u"7", u"", 0, u"", u"")),
            R"({"02011",{"-1","240011","7","","0","",""}})");
}

TEST(StatsRecord, ElapsedNeverWrapsWhenTheClockGoesBack) {
  EXPECT_EQ(StatsRecord::Elapsed(100, 160), 60u);
  EXPECT_EQ(StatsRecord::Elapsed(100, 100), 0u);
  EXPECT_EQ(StatsRecord::Elapsed(100, 40), 0u);
  // Only the low 32 bits of a huge span are carried.
  EXPECT_EQ(StatsRecord::Elapsed(0, (int64_t{1} << 32) + 5), 5u);
}

}  // namespace
}  // namespace tembra
