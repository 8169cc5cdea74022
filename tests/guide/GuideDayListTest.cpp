#include "guide/GuideDayList.h"

#include <gtest/gtest.h>

#include <random>

#include "guide/GuideRowBuilder.h"
#include "guide/GuideTimeKey.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

// The entry the literal rule picks: the first, in file order, whose key the
// now key does not exceed.
size_t firstByWalking(const GuideChannelDay& channel, std::u16string_view nowKey) {
  for (size_t i = 0; i < channel.entries.size(); ++i)
    if (GuideTimeKey::StillToCome(nowKey, channel.dayKey, channel.entries[i].starttime)) return i;
  return GuideDayList::npos;
}

std::u16string clock(int seconds) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return asciiToUtf16(b);
}

TEST(GuideDayList, TheSearchForTheNextEntryAgreesWithWalkingInFileOrder) {
  // Unsorted, repeated, short, empty and odd start times, as a careless
  // service might send them.
  // A list has one day key: today's and tomorrow's are both tried.
  std::mt19937 random(7);
  for (const std::u16string dayKey : {u"07", u"08"}) {
  std::vector<GuideChannelDay> channels;
  for (int c = 0; c < 400; ++c) {
    GuideChannelDay channel;
    channel.id = asciiToUtf16(std::to_string(c));
    channel.dayKey = dayKey;
    const int count = static_cast<int>(random() % 12);
    int t = static_cast<int>(random() % 3600);
    for (int e = 0; e < count; ++e) {
      GuideEntry entry;
      switch (random() % 8) {
        case 0: entry.starttime = clock(static_cast<int>(random() % 86400)); break;
        case 1: entry.starttime = u""; break;
        case 2: entry.starttime = u"9:00"; break;
        case 3: entry.starttime = std::u16string(u"12:00:00\0x", 10); break;
        default: entry.starttime = clock(t += static_cast<int>(random() % 7200)); break;
      }
      channel.entries.push_back(entry);
    }
    channels.push_back(channel);
  }
  const std::vector<GuideChannelDay> copy = channels;
  GuideDayList list(std::move(channels));
  ASSERT_EQ(list.size(), copy.size());
  std::vector<std::u16string> nows{u"07:00:00:00", u"07:12:00:00", u"07:23:59:59", u"08:00:00:00", u"06:10:00:00",
                                   u"31:00:00:00"};
  for (int i = 0; i < 200; ++i) nows.push_back(u"07:" + clock(static_cast<int>(random() % 86400)));
  for (const std::u16string& now : nows) {
    for (size_t c = 0; c < copy.size(); ++c) {
      ASSERT_EQ(list.FirstStillToCome(c, now), firstByWalking(copy[c], now))
          << "channel " << c << " at " << toUtf8(now) << " on " << toUtf8(dayKey);
    }
  }
  }
}

TEST(GuideDayList, IdsAreIndexedFirstOneWinsAndUpcomingPlacesCoverEveryDay) {
  auto make = [](std::vector<std::u16string> ids) {
    std::vector<GuideChannelDay> channels;
    for (auto& id : ids) channels.push_back(GuideChannelDay{id, u"n" + id, {}, u"07"});
    return std::make_shared<const GuideDayList>(std::move(channels));
  };
  auto today = make({u"a", u"b", u"a"});
  auto tomorrow = make({u"c", u"b"});
  auto after = make({u"d", u"c", u"a"});
  EXPECT_EQ(today->size(), 2u);
  EXPECT_EQ(today->IndexOf(u"b"), 1u);
  EXPECT_EQ(today->IndexOf(u"B"), GuideDayList::npos);
  GuideRowBuilder::Days days;
  days.day[0] = today.get();
  days.day[1] = tomorrow.get();
  days.day[2] = after.get();
  const auto places = GuideRowBuilder::CollectChannelIds(days);
  ASSERT_EQ(places.size(), 4u);  // a, b, c, d
  const uint32_t X = GuideChannelPlace::kAbsent;
  const uint32_t expected[4][3] = {{0, X, 2}, {1, 1, X}, {X, 0, 1}, {X, X, 0}};
  for (size_t i = 0; i < 4; ++i)
    for (int d = 0; d < 3; ++d) EXPECT_EQ(places[i].index[d], expected[i][d]) << i << " day " << d;
}

// The packed list gives back what it was given: shared and long texts,
// texts longer than a pool chunk, NULs, and the empty text.
TEST(GuideDayList, PackedChannelsComeBackAsTheyWereGiven) {
  const std::u16string mid(40000, u'm');                                   // a two-unit length
  const std::u16string huge(GuideTextPool::kChunkUnits + 5, u'h');         // a text of its own
  std::vector<GuideChannelDay> channels;
  for (int c = 0; c < 50; ++c) {
    GuideChannelDay channel{asciiToUtf16("id" + std::to_string(c)), c % 2 ? u"Odd" : u"", {}, u"12"};
    for (int e = 0; e < c % 7; ++e) {
      channel.entries.push_back({e == 3 ? mid : asciiToUtf16("Title " + std::to_string(e)), u"2024-05-12",
                                 u"", std::u16string(u"10:00:00\0x", 10)});
    }
    channels.push_back(channel);
  }
  channels[7].entries.push_back({huge, u"a", u"b", u"c"});
  channels[8].name = std::u16string(GuideTextPool::kMaxShared + 1, u'\u00e9');  // too long to be shared
  GuideChannelDay repeated = channels[3];
  repeated.name = u"Repeated";
  channels.push_back(repeated);
  const std::vector<GuideChannelDay> given(channels.begin(), channels.end() - 1);
  GuideDayList list(std::move(channels));
  EXPECT_EQ(list.dayKey(), u"12");
  ASSERT_EQ(list.size(), given.size()) << "the repeated id is dropped";
  EXPECT_EQ(list.channels(), given);
  size_t programmes = 0;
  for (size_t c = 0; c < given.size(); ++c) {
    EXPECT_EQ(list.id(c), given[c].id);
    EXPECT_EQ(list.entryCount(c), given[c].entries.size());
    programmes += given[c].entries.size();
  }
  EXPECT_EQ(list.programmeCount(), programmes);
  EXPECT_EQ(list.Find(u"id3")->name, u"Odd");
  EXPECT_FALSE(list.Find(u"id50"));
  // Packed: far less than four strings per programme.
  EXPECT_LT(list.memoryBytes(), huge.size() * 2 + 2 * GuideTextPool::kChunkUnits * 2 + 64 * 1024);
}

TEST(GuideDayList, ThePoolKeepsEachShortTextOnceAndItsViewsStayPut) {
  GuideTextPool pool;
  EXPECT_EQ(pool.add(u""), 0u);
  EXPECT_EQ(pool.get(0), u"");
  std::vector<uint32_t> refs;
  std::vector<std::u16string_view> views;
  for (int i = 0; i < 200000; ++i) {
    refs.push_back(pool.add(asciiToUtf16("text " + std::to_string(i % 50000))));
    views.push_back(pool.get(refs.back()));
  }
  for (int i = 0; i < 200000; ++i) {
    ASSERT_EQ(refs[i], refs[i % 50000]) << i;
    ASSERT_EQ(views[i], asciiToUtf16("text " + std::to_string(i % 50000)));
    ASSERT_EQ(views[i].data(), pool.get(refs[i]).data());
  }
  const std::u16string longText(GuideTextPool::kMaxShared + 1, u'x');
  EXPECT_NE(pool.add(longText), pool.add(longText)) << "long texts are not looked up";
}

}  // namespace
}  // namespace tembra
