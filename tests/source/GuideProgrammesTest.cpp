// The guide grid's query: one channel's programmes of a day with their
// times. The default reads them off the day lists' texts; the playlist
// guide gives its store's own times.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

#include "TempDir.h"
#include "TimeZone.h"
#include "platform/MessageTarget.h"
#include "platform/ReplyServer.h"
#include "platform/TestFiles.h"
#include "platform/Utf.h"
#include "playlist/PlaylistParser.h"
#include "source/GuideSource.h"
#include "source/PlaylistGuide.h"

namespace tembra {
namespace {

// 2026-12-09 00:00 in Berlin (UTC+1).
constexpr int64_t kBerlinMidnight = 1796770800;

// A guide that has only day lists, as the operator's service gives them.
class DayListGuide : public GuideSource {
 public:
  int32_t GetNowPlaying(std::vector<GuideRow>&, bool) override { return kNothing; }
  int32_t GetUpcoming(std::vector<GuideRow>&, bool) override { return kNothing; }
  int32_t GetDayList(int day, std::u16string_view id, std::vector<GuideRow>& rows, bool noDownload) override {
    if (code != kRows) return code;
    if (day != 0 || id != u"7") return kNothing;
    for (const auto& [date, time, title] : entries) rows.push_back({u"7", u"Seven", {title, date, date, time}});
    return rows.empty() ? kNothing : kRows;
  }
  DayState GetDayState(int) const override { return DayState::Loaded; }
  bool downloadRunning() const override { return false; }

  int32_t code = kRows;
  std::vector<std::tuple<std::u16string, std::u16string, std::u16string>> entries;
};

std::vector<std::string> spans(const std::vector<GuideProgramme>& ps, int64_t base) {
  std::vector<std::string> out;
  for (const GuideProgramme& p : ps)
    out.push_back(std::to_string((p.start - base) / 60) + "-" + std::to_string((p.stop - base) / 60) + " " +
                  toUtf8(p.entry.title));
  return out;
}

TEST(GuideProgrammes, DayListTextsReadAsLocalTimesEachEndingWhereTheNextBegins) {
  test::TimeZone berlin("Europe/Berlin");
  DayListGuide guide;
  // Out of order, a repeated start, and two rows whose times are nonsense.
  guide.entries = {{u"2026-12-09", u"20:15:00", u"Film"},     {u"2026-12-09", u"06:00:00", u"Morning"},
                   {u"2026-12-09", u"12:00", u"Noon"},        {u"2026-12-09", u"12:00:00", u"Noon again"},
                   {u"2026-12-09", u"25:00:00", u"Bad hour"}, {u"2026-02-30", u"10:00:00", u"Bad day"},
                   {u"2026-12-09", u"23:30:00", u"Late"}};
  EXPECT_EQ(guide.dayStart(1), GuideSource::localMidnight(static_cast<int64_t>(std::time(nullptr)), 1))
      << "nothing read yet: by the clock";
  std::vector<GuideProgramme> out;
  ASSERT_EQ(guide.GetDayProgrammes(0, u"7", out, true), GuideSource::kRows);
  // A guide whose lists outlived their day (the operator's, after midnight)
  // places its days by the dates they hold.
  EXPECT_EQ(guide.dayStart(0), kBerlinMidnight);
  EXPECT_EQ(guide.dayStart(2), kBerlinMidnight + 2 * 86400);
  EXPECT_EQ(spans(out, kBerlinMidnight),
            (std::vector<std::string>{"360-720 Morning", "720-1215 Noon", "1215-1410 Film", "1410-1440 Late"}));
  EXPECT_EQ(out[0].entry.starttime, u"06:00:00") << "the entry as the day list gave it, for details()";

  std::vector<GuideProgramme> none;
  EXPECT_EQ(guide.GetDayProgrammes(0, u"8", none, true), GuideSource::kNothing);
  for (int32_t code : {GuideSource::kNotLoaded, GuideSource::kDownloadStarted, GuideSource::kNothing}) {
    guide.code = code;
    EXPECT_EQ(guide.GetDayProgrammes(0, u"7", none, true), code) << "the day list's answer";
    EXPECT_TRUE(none.empty());
  }
  guide.code = GuideSource::kRows;
  guide.entries = {{u"garbage", u"x", u"Only bad"}};
  EXPECT_EQ(guide.GetDayProgrammes(0, u"7", none, true), GuideSource::kNothing);
  EXPECT_EQ(guide.dayCount(), 3);
}

TEST(GuideProgrammes, LocalTimesOfDateAndTimeTexts) {
  test::TimeZone berlin("Europe/Berlin");
  struct Case {
    const char16_t* date;
    const char16_t* time;
    std::optional<int64_t> utc;
  };
  const Case cases[] = {
      {u"2026-12-09", u"00:00:00", kBerlinMidnight},
      {u"2026/12/09", u"01:30", kBerlinMidnight + 5400},
      {u"2026-12-09T", u"23:59:59+01", kBerlinMidnight + 86399},  // trailing bytes pass
      {u"2026-07-01", u"12:00:00", int64_t{1782900000}},           // summer time: UTC+2
      {u"2028-02-29", u"00:00:00", int64_t{1835391600}},           // a leap day
      {u"2026-02-29", u"00:00:00", std::nullopt},
      {u"2026-13-01", u"00:00:00", std::nullopt},
      {u"2026-12-09", u"24:00:00", std::nullopt},
      {u"2026-12-09", u"12:60:00", std::nullopt},
      {u"2026-12-09", u"1:00:00", std::nullopt},
      {u"2026-12-09", u"", std::nullopt},
      {u"09.12.2026", u"10:00:00", std::nullopt},
      {u"2026-12-0", u"10:00:00", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GuideSource::localTimeOf(c.date, c.time), c.utc) << toUtf8(c.date) << " " << toUtf8(c.time);
  // Midnights across the autumn change: a day of 25 hours.
  EXPECT_EQ(GuideSource::localMidnight(1792926000, 1) - GuideSource::localMidnight(1792926000), 25 * 3600)
      << "2026-10-25 in Berlin";
}

class Messages : public MessageTarget {
 public:
  void post(uint32_t, uintptr_t, intptr_t) override {
    std::lock_guard g(lock_);
    ++count_;
  }
  intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
  bool alive() const override { return true; }
  size_t count() const {
    std::lock_guard g(lock_);
    return count_;
  }

 private:
  mutable std::mutex lock_;
  size_t count_ = 0;
};

constexpr const char* kGuide =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"
    "<channel id=\"a.de\"><display-name>Alpha</display-name></channel>\n"
    "<programme start=\"20261209110000 +0000\" stop=\"20261209123000 +0000\" channel=\"a.de\">"
    "<title>Midday News</title></programme>\n"
    "<programme start=\"20261209123000 +0000\" stop=\"20261209140000 +0000\" channel=\"a.de\">"
    "<title>Afternoon Film</title></programme>\n"
    "<programme start=\"20261209223000 +0000\" stop=\"20261210003000 +0000\" channel=\"a.de\">"
    "<title>Late Show</title></programme>\n"
    "</tv>\n";

TEST(GuideProgrammes, ThePlaylistGuideGivesItsStoresOwnTimes) {
  test::TimeZone berlin("Europe/Berlin");
  test::ReplyServer server;
  server.set("/epg.xml", kGuide);
  test::TempDir cache("gridguide");
  Messages messages;
  auto catalogue = std::make_shared<PlaylistCatalogue>(
      PlaylistParser::parse("#EXTM3U\n#EXTINF:-1 tvg-id=\"a.de\",Alpha\nhttp://x/a\n#EXTINF:-1,Beta\nhttp://x/b\n", "/l"));
  SourceSettings settings;
  settings.guides = {server.url("/epg.xml")};
  PlaylistGuide::Options options;
  options.cacheFolder = cache.path();
  int64_t now = kBerlinMidnight + 13 * 3600;
  options.now = [&now] { return now; };
  PlaylistGuide guide(settings, options);

  std::vector<GuideProgramme> out;
  EXPECT_EQ(guide.dayCount(), 3);
  EXPECT_EQ(guide.dayStart(1), kBerlinMidnight + 86400) << "before a load: the local midnights";
  guide.start(&messages, catalogue);
  ASSERT_TRUE(test::eventually([&] { return messages.count() >= 5; }));

  ASSERT_EQ(guide.GetDayProgrammes(0, u"0", out, true), GuideSource::kRows);
  EXPECT_EQ(spans(out, kBerlinMidnight),
            (std::vector<std::string>{"720-810 Midday News", "810-900 Afternoon Film", "1410-1530 Late Show"}));
  EXPECT_EQ(toUtf8(out[0].entry.starttime), "12:00:00");
  std::vector<GuideProgramme> tomorrow;
  ASSERT_EQ(guide.GetDayProgrammes(1, u"0", tomorrow, true), GuideSource::kRows);
  EXPECT_EQ(spans(tomorrow, kBerlinMidnight), (std::vector<std::string>{"1410-1530 Late Show"}))
      << "a programme across midnight belongs to both days";
  std::vector<GuideProgramme> none;
  EXPECT_EQ(guide.GetDayProgrammes(0, u"1", none, true), GuideSource::kNothing) << "Beta has no guide";
  EXPECT_EQ(guide.GetDayProgrammes(3, u"0", none, true), GuideSource::kNothing);
  EXPECT_EQ(guide.GetDayProgrammes(0, u"9", none, true), GuideSource::kNothing);
  EXPECT_EQ(guide.dayStart(0), kBerlinMidnight);
  EXPECT_EQ(guide.dayStart(3), kBerlinMidnight + 3 * 86400);

  // The default, built on the day list, agrees on the starts and titles.
  std::vector<GuideProgramme> fromTexts;
  ASSERT_EQ(guide.GuideSource::GetDayProgrammes(0, u"0", fromTexts, true), GuideSource::kRows);
  ASSERT_EQ(fromTexts.size(), out.size());
  for (size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(fromTexts[i].start, out[i].start);
    EXPECT_EQ(fromTexts[i].entry, out[i].entry);
  }

  // A day later the store's first day is yesterday: today is its day 1.
  now += 86400;
  EXPECT_EQ(guide.dayCount(), 2);
  EXPECT_EQ(guide.dayStart(0), kBerlinMidnight + 86400);
  std::vector<GuideProgramme> shifted;
  ASSERT_EQ(guide.GetDayProgrammes(0, u"0", shifted, true), GuideSource::kRows);
  EXPECT_EQ(spans(shifted, kBerlinMidnight), (std::vector<std::string>{"1410-1530 Late Show"}));
}

}  // namespace
}  // namespace tembra
