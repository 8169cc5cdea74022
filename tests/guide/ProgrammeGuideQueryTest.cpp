// The guide's queries over day lists loaded from reply files, at chosen
// local times.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "guide/GuideTestSupport.h"
#include "guide/GuideTimeKey.h"
#include "guide/ProgrammeGuide.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::At;
using test::ReplyBody;
using test::ReplyChannel;

class GuideQueries : public ::testing::Test {
 protected:
  // A guide created at `created` that never downloads, with day d loaded
  // from days[d] (an empty optional: not loaded).
  void Create(LocalTime created, const std::vector<std::optional<std::string>>& days) {
    clock_.Set(created);
    guide_ = test::MakeGuide("http://127.0.0.1:1", u"", &clock_, dir_.path());
    for (size_t d = 0; d < days.size(); ++d) {
      if (!days[d]) continue;
      const std::string path = dir_.file("day" + std::to_string(d) + ".xml");
      test::writeFile(path, *days[d]);
      ASSERT_TRUE(guide_->LoadDay(static_cast<int>(d), path));
    }
  }
  void Now(int day, int hour, int minute, int second) { clock_.Set(At(2024, 5, day, hour, minute, second)); }

  // "id starttime title" per row.
  static std::vector<std::string> Texts(const std::vector<GuideRow>& rows) {
    std::vector<std::string> out;
    for (const GuideRow& r : rows) out.push_back(toUtf8(r.id + u" " + r.entry.starttime + u" " + r.entry.title));
    return out;
  }
  std::vector<std::string> NowPlaying(int32_t expect = ProgrammeGuide::kRows) {
    std::vector<GuideRow> rows;
    EXPECT_EQ(guide_->GetNowPlaying(rows, true), expect);
    return Texts(rows);
  }
  std::vector<std::string> Upcoming(int32_t expect = ProgrammeGuide::kRows) {
    std::vector<GuideRow> rows;
    EXPECT_EQ(guide_->GetUpcoming(rows, true), expect);
    return Texts(rows);
  }

  using V = std::vector<std::string>;
  test::TempDir dir_{"guide-query"};
  FixedClock clock_{At(2024, 5, 7)};
  std::unique_ptr<ProgrammeGuide> guide_;
};

const std::string kToday = ReplyBody({{"c", "Chan", {"10:00:00|Ten", "12:00:00|Noon", "14:00:00|Two"}}});
const std::string kTomorrow = ReplyBody({{"c", "Chan", {"06:00:00|Early", "09:00:00|Nine"}}});

TEST_F(GuideQueries, NowAndNextAtTheBoundaries) {
  Create(At(2024, 5, 7, 8, 0, 0), {kToday, kTomorrow});
  Now(7, 12, 30, 0);
  EXPECT_EQ(NowPlaying(), V{"c 12:00:00 Noon"});
  EXPECT_EQ(Upcoming(), V{"c 14:00:00 Two"});
  // A programme whose key equals the now key is still to come.
  Now(7, 12, 0, 0);
  EXPECT_EQ(NowPlaying(), V{"c 10:00:00 Ten"});
  EXPECT_EQ(Upcoming(), V{"c 12:00:00 Noon"});
  Now(7, 12, 0, 1);
  EXPECT_EQ(NowPlaying(), V{"c 12:00:00 Noon"});
  // After the last start the last programme is on; next is tomorrow's first.
  Now(7, 15, 0, 0);
  EXPECT_EQ(NowPlaying(), V{"c 14:00:00 Two"});
  EXPECT_EQ(Upcoming(), V{"c 06:00:00 Early"});
  Now(7, 9, 0, 0);
  EXPECT_EQ(NowPlaying(ProgrammeGuide::kNothing), V{});
  EXPECT_EQ(Upcoming(), V{"c 10:00:00 Ten"});
}

TEST_F(GuideQueries, UpcomingCoversChannelsOfEveryDayInDayOrder) {
  Create(At(2024, 5, 7),
         {ReplyBody({{"a", "A", {"10:00:00|A1"}}, {"b", "B", {"11:00:00|B1", "13:00:00|B2"}}}),
          ReplyBody({{"x", "X1", {"01:00:00|X"}}, {"a", "A", {"02:00:00|A2"}}, {"y", "Y", {"03:00:00|Y"}}}),
          ReplyBody({{"z", "Z", {"04:00:00|Z"}}, {"x", "X2", {"05:00:00|X2"}}, {"b", "B", {"06:00:00|B3"}}})});
  Now(7, 12, 0, 0);
  std::vector<GuideRow> rows;
  ASSERT_EQ(guide_->GetUpcoming(rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(Texts(rows), (V{"a 02:00:00 A2", "b 13:00:00 B2", "x 01:00:00 X", "y 03:00:00 Y", "z 04:00:00 Z"}));
  // The row carries the name of the day it came from.
  EXPECT_EQ(rows[0].name, u"A");
  EXPECT_EQ(rows[2].name, u"X1");
  EXPECT_EQ(rows[4].entry.startdate, u"2024-05-07");
  // "a" has only started programmes today: its last one is on.
  EXPECT_EQ(NowPlaying(), (V{"a 10:00:00 A1", "b 11:00:00 B1"}));
}

// Nothing starts after a day's last programme, so it is on until midnight;
// from midnight the old today has nothing on (its list is never refreshed).
TEST_F(GuideQueries, TheDaysLastProgrammeIsOnUntilMidnight) {
  Create(At(2024, 5, 7, 8, 0, 0),
         {ReplyBody({{"c", "Chan", {"10:00:00|Ten", "12:00:00|Noon", "14:00:00|Two"}},
                     {"one", "One", {"06:00:00|Only"}},
                     {"late", "Late", {"23:59:59|Last"}},
                     {"none", "None", {}}}),
          kTomorrow});
  // "late" starts its only programme at the last second: equal keys mean
  // still to come, so it never has a row; "none" has no programmes at all.
  struct Case {
    int day, hour, minute, second;
    V rows;
  } cases[] = {
      {7, 5, 0, 0, {}},
      {7, 6, 0, 0, {}},  // equal keys: still to come
      {7, 6, 0, 1, {"one 06:00:00 Only"}},
      {7, 12, 30, 0, {"c 12:00:00 Noon", "one 06:00:00 Only"}},
      {7, 14, 0, 0, {"c 12:00:00 Noon", "one 06:00:00 Only"}},
      {7, 15, 0, 0, {"c 14:00:00 Two", "one 06:00:00 Only"}},
      {7, 23, 59, 59, {"c 14:00:00 Two", "one 06:00:00 Only"}},
      {8, 0, 0, 1, {}},
      {8, 12, 0, 0, {}},
  };
  for (const Case& t : cases) {
    Now(t.day, t.hour, t.minute, t.second);
    SCOPED_TRACE(testing::Message() << t.day << " " << t.hour << ":" << t.minute << ":" << t.second);
    EXPECT_EQ(NowPlaying(t.rows.empty() ? ProgrammeGuide::kNothing : ProgrammeGuide::kRows), t.rows);
  }
}

TEST_F(GuideQueries, MonthEndDayKeysAndTheNightAfter) {
  Create(At(2024, 1, 31, 20, 0, 0),
         {ReplyBody({{"c", "Chan", {"22:00:00|Late", "23:00:00|Last"}}}), kTomorrow,
          ReplyBody({{"d", "D", {"00:10:00|Far"}}})});
  EXPECT_EQ(guide_->dayKey(0), u"31");
  EXPECT_EQ(guide_->dayKey(1), u"32");
  EXPECT_EQ(guide_->dayKey(2), u"33");
  EXPECT_EQ(guide_->dayList(1)->channels()[0].dayKey, u"32");
  clock_.Set(At(2024, 1, 31, 23, 30, 0));
  EXPECT_EQ(Upcoming(), (V{"c 06:00:00 Early", "d 00:10:00 Far"}));
  EXPECT_EQ(NowPlaying(), V{"c 23:00:00 Last"});
  // After midnight the now key's day is 01, smaller than 31: the old today
  // counts as still to come.
  clock_.Set(At(2024, 2, 1, 0, 30, 0));
  EXPECT_EQ(NowPlaying(ProgrammeGuide::kNothing), V{});
  EXPECT_EQ(Upcoming(), (V{"c 22:00:00 Late", "d 00:10:00 Far"}));
}

TEST_F(GuideQueries, AfterMidnightInMidMonthTodaysProgrammesHaveAllStarted) {
  Create(At(2024, 5, 7, 20, 0, 0), {kToday, kTomorrow});
  Now(8, 7, 0, 0);
  EXPECT_EQ(NowPlaying(ProgrammeGuide::kNothing), V{});
  // Tomorrow's list still carries key 08, so it is read against the clock.
  EXPECT_EQ(Upcoming(), V{"c 09:00:00 Nine"});
}

TEST_F(GuideQueries, DayListsAndTheirResultCodes) {
  Create(At(2024, 5, 7), {kToday, std::nullopt, ReplyBody({})});
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide_->GetDayList(0, u"c", rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(Texts(rows), (V{"c 10:00:00 Ten", "c 12:00:00 Noon", "c 14:00:00 Two"}));
  EXPECT_EQ(rows[0].name, u"Chan");
  for (std::u16string_view id : {u"", u"C", u"missing"}) {
    rows.clear();
    EXPECT_EQ(guide_->GetDayList(0, id, rows, true), ProgrammeGuide::kNothing);
    EXPECT_TRUE(rows.empty());
  }
  rows.clear();
  EXPECT_EQ(guide_->GetDayList(1, u"c", rows, true), ProgrammeGuide::kNotLoaded);
  EXPECT_EQ(guide_->GetDayList(2, u"c", rows, true), ProgrammeGuide::kNothing);
  EXPECT_EQ(guide_->GetDayList(2, u"c", rows, false), ProgrammeGuide::kNothing);
  EXPECT_EQ(guide_->GetDayList(3, u"c", rows, true), ProgrammeGuide::kNothing);
  EXPECT_EQ(guide_->GetDayList(-1, u"c", rows, true), ProgrammeGuide::kNothing);
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(guide_->GetDayState(0), ProgrammeGuide::DayState::Loaded);
  EXPECT_EQ(guide_->GetDayState(1), ProgrammeGuide::DayState::NotLoaded);
  EXPECT_EQ(guide_->GetDayState(2), ProgrammeGuide::DayState::Empty);
  EXPECT_FALSE(guide_->downloadRunning()) << "nothing was asked for";
}

TEST_F(GuideQueries, AnEmptyTodayAnswersNothingWithoutAffectingOtherDays) {
  Create(At(2024, 5, 7), {std::string("<html>no guide</html>"), kTomorrow});
  EXPECT_TRUE(guide_->dayEmpty(0));
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide_->GetNowPlaying(rows, false), ProgrammeGuide::kNothing);
  EXPECT_EQ(guide_->GetUpcoming(rows, false), ProgrammeGuide::kNothing);
  EXPECT_FALSE(guide_->downloadRunning());
  EXPECT_EQ(guide_->GetDayList(1, u"c", rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(rows.size(), 2u);
}

TEST_F(GuideQueries, NothingLoadedReportsNotLoaded) {
  Create(At(2024, 5, 7), {});
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide_->GetNowPlaying(rows, true), ProgrammeGuide::kNotLoaded);
  EXPECT_EQ(guide_->GetUpcoming(rows, true), ProgrammeGuide::kNotLoaded);
  EXPECT_EQ(guide_->GetDayList(0, u"c", rows, true), ProgrammeGuide::kNotLoaded);
  EXPECT_FALSE(guide_->downloadRunning());
}

TEST_F(GuideQueries, RowsHandedInAreNotRepeated) {
  Create(At(2024, 5, 7), {kToday});
  Now(7, 12, 30, 0);
  std::vector<GuideRow> rows{GuideRow{u"c", u"old", {}}};
  EXPECT_EQ(guide_->GetNowPlaying(rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(rows.size(), 1u);
  EXPECT_EQ(guide_->GetUpcoming(rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(rows.size(), 1u);
}

TEST(GuideTimeKey, KeysCompareLikeCStrings) {
  EXPECT_EQ(GuideTimeKey::NowKey(At(2024, 5, 7, 9, 5, 3)), u"07:09:05:03");
  EXPECT_EQ(GuideTimeKey::DayKey(31, 2), u"33");
  EXPECT_EQ(GuideTimeKey::DayKey(1, 0), u"01");
  EXPECT_EQ(GuideTimeKey::EntryKey(u"07", u"12:00:00"), u"07:12:00:00");
  struct Case {
    std::u16string now, day, start;
    int sign;
  } cases[] = {
      {u"07:12:00:00", u"07", u"12:00:00", 0},
      {u"07:12:00:01", u"07", u"12:00:00", 1},
      {u"07:11:59:59", u"07", u"12:00:00", -1},
      {u"07:12:00:00", u"07", u"12:00", 1},     // a longer key is greater
      {u"07:12:00:00", u"07", u"", 1},
      {u"07:12:00:00", u"08", u"00:00:00", -1},
      {u"01:00:30:00", u"31", u"22:00:00", -1},
      {u"07:12:00:00", u"07", u"9:00:00", -1},  // unpadded hours sort as text
      {u"07:12:00:00", u"07", std::u16string(u"12:00:00\0junk", 13), 0},
      {u"07:12:00:00", u"07", u"12:00:00\u00e9", -1},
  };
  for (const Case& c : cases) {
    const int got = GuideTimeKey::CompareNow(c.now, c.day, c.start);
    EXPECT_EQ((got > 0) - (got < 0), c.sign) << toUtf8(c.now) << " vs " << toUtf8(c.day + u":" + c.start);
  }
}

}  // namespace
}  // namespace tembra
