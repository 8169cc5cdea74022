#include "source/PlaylistGuide.h"

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

namespace tembra {
namespace {

class Messages : public MessageTarget {
 public:
  void post(uint32_t message, uintptr_t wParam, intptr_t) override {
    std::lock_guard g(lock_);
    got_.push_back({message, wParam});
  }
  intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
  bool alive() const override { return true; }
  size_t count() const {
    std::lock_guard g(lock_);
    return got_.size();
  }
  std::pair<uint32_t, uintptr_t> first() const {
    std::lock_guard g(lock_);
    return got_.front();
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::pair<uint32_t, uintptr_t>> got_;
};

// 2026-12-09 12:00:00 UTC, 13:00 in Berlin.
constexpr int64_t kNoon = 1796817600;

constexpr const char* kGuide =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"
    "<channel id=\"a.de\"><display-name>Alpha</display-name></channel>\n"
    "<channel id=\"b.de\"><display-name>Beta</display-name></channel>\n"
    "<programme start=\"20261209110000 +0000\" stop=\"20261209123000 +0000\" channel=\"a.de\">"
    "<title>Midday News</title><desc>The day so far &amp; more.</desc><category>News</category></programme>\n"
    "<programme start=\"20261209123000 +0000\" stop=\"20261209140000 +0000\" channel=\"a.de\">"
    "<title>Afternoon Film</title></programme>\n"
    "<programme start=\"20261209103000 +0000\" stop=\"20261209113000 +0000\" channel=\"b.de\">"
    "<title>Early Show</title></programme>\n"
    "<programme start=\"20261209113000 +0000\" stop=\"20261209130000 +0000\" channel=\"b.de\">"
    "<title>Late Show</title></programme>\n"
    "</tv>\n";

// Alpha by id, Beta by name and an hour later than its guide, Gamma unmatched.
constexpr const char* kPlaylist =
    "#EXTM3U\n"
    "#EXTINF:-1 tvg-id=\"A.DE\",Alpha HD\nhttp://x/a\n"
    "#EXTINF:-1 tvg-shift=\"1\",Beta\nhttp://x/b\n"
    "#EXTINF:-1,Gamma\nhttp://x/c\n";

struct Fixture {
  // Local time in a zone with an offset, so that UTC guide times must be
  // turned into the viewer's hours.
  test::TimeZone berlin{"Europe/Berlin"};
  test::ReplyServer server;
  test::TempDir cache{"guidecache"};
  Messages messages;
  std::shared_ptr<const PlaylistCatalogue> catalogue =
      std::make_shared<PlaylistCatalogue>(PlaylistParser::parse(kPlaylist, "/lists"));

  std::unique_ptr<PlaylistGuide> start(const std::string& path, std::chrono::seconds maxAge = std::chrono::hours(12),
                                       double offsetHours = 0) {
    SourceSettings settings;
    settings.guides = {server.url(path)};
    settings.offsetHours = offsetHours;
    PlaylistGuide::Options options;
    options.cacheFolder = cache.path();
    options.maxAge = maxAge;
    options.limits.noData = std::chrono::seconds(2);
    options.now = [] { return kNoon; };
    auto guide = std::make_unique<PlaylistGuide>(settings, options);
    guide->start(&messages, catalogue);
    return guide;
  }
  bool loaded(size_t count = 5) {
    return test::eventually([&] { return messages.count() >= count; });
  }
};

std::vector<std::string> texts(const std::vector<GuideRow>& rows) {
  std::vector<std::string> out;
  for (const GuideRow& r : rows)
    out.push_back(toUtf8(r.id) + " " + toUtf8(r.name) + " " + toUtf8(r.entry.startdate) + " " +
                  toUtf8(r.entry.starttime) + " " + toUtf8(r.entry.title) + (r.onNow ? " *" : ""));
  return out;
}

TEST(PlaylistGuide, ListsShowTheGuideInLocalTimeWithEachChannelsShift) {
  Fixture f;
  f.server.set("/epg.xml", kGuide);
  auto guide = f.start("/epg.xml");
  ASSERT_TRUE(f.loaded());
  EXPECT_EQ(f.messages.first(), std::make_pair(WM_GUIDE_NOWPLAYING, uintptr_t{1}));

  std::vector<GuideRow> now;
  ASSERT_EQ(guide->GetNowPlaying(now, true), GuideSource::kRows);
  // Beta is an hour later than its guide: at 13:00 its 12:30 (guide) show is on.
  EXPECT_EQ(texts(now), (std::vector<std::string>{"0 Alpha HD 2026-12-09 12:00:00 Midday News *",
                                                  "1 Beta 2026-12-09 12:30:00 Early Show *"}));
  std::vector<GuideRow> next;
  ASSERT_EQ(guide->GetUpcoming(next, true), GuideSource::kRows);
  EXPECT_EQ(texts(next), (std::vector<std::string>{"0 Alpha HD 2026-12-09 13:30:00 Afternoon Film",
                                                   "1 Beta 2026-12-09 13:30:00 Late Show"}));
  std::vector<GuideRow> day;
  ASSERT_EQ(guide->GetDayList(0, u"0", day, true), GuideSource::kRows);
  EXPECT_EQ(texts(day), (std::vector<std::string>{"0 Alpha HD 2026-12-09 12:00:00 Midday News *",
                                                  "0 Alpha HD 2026-12-09 13:30:00 Afternoon Film"}));
  std::vector<GuideRow> none;
  EXPECT_EQ(guide->GetDayList(0, u"2", none, true), GuideSource::kNothing) << "Gamma has no guide";
  EXPECT_EQ(guide->GetDayList(1, u"0", none, true), GuideSource::kNothing);
  EXPECT_EQ(guide->GetDayList(0, u"9", none, true), GuideSource::kNothing);

  const std::optional<ProgrammeDetails> details = guide->details(u"0", now[0].entry);
  ASSERT_TRUE(details);
  EXPECT_EQ(toUtf8(details->title), "Midday News");
  EXPECT_EQ(toUtf8(details->time), "Wed 09 12:00 - 13:30");
  EXPECT_EQ(toUtf8(details->description), "The day so far & more.");
  EXPECT_EQ(toUtf8(details->category), "News");
  EXPECT_TRUE(guide->statusText().empty()) << toUtf8(guide->statusText());

  // A provider whose guide runs an hour late: the source's offset of -1 h
  // moves every channel, on top of each channel's own shift.
  auto corrected = f.start("/epg.xml", std::chrono::hours(12), -1);
  ASSERT_TRUE(f.loaded(10));
  now.clear();
  ASSERT_EQ(corrected->GetNowPlaying(now, true), GuideSource::kRows);
  EXPECT_EQ(texts(now), (std::vector<std::string>{"0 Alpha HD 2026-12-09 12:30:00 Afternoon Film *",
                                                  "1 Beta 2026-12-09 12:30:00 Late Show *"}));
}

TEST(PlaylistGuide, TheCacheServesWhileFreshAndStandsInWhenTheProviderFails) {
  Fixture f;
  f.server.set("/epg.xml", kGuide);
  auto first = f.start("/epg.xml");
  ASSERT_TRUE(f.loaded());
  f.server.set("/epg.xml", "gone", 404);

  Fixture* fx = &f;
  auto fresh = f.start("/epg.xml");
  ASSERT_TRUE(fx->loaded(10));
  std::vector<GuideRow> rows;
  EXPECT_EQ(fresh->GetNowPlaying(rows, true), GuideSource::kRows) << "read from the cache, no download";
  EXPECT_TRUE(fresh->statusText().empty());
  EXPECT_EQ(f.server.targets("/epg.xml").size(), 1u) << "the fresh cache was used without asking";

  auto stale = f.start("/epg.xml", std::chrono::seconds(0));
  ASSERT_TRUE(fx->loaded(15));
  rows.clear();
  EXPECT_EQ(stale->GetNowPlaying(rows, true), GuideSource::kRows) << "the old copy stands in";
  EXPECT_EQ(toUtf8(stale->statusText()), "The guide " + f.server.url("/epg.xml") +
                                             " could not be downloaded (HTTP 404 Not Found); its last good copy is shown.");
}

TEST(PlaylistGuide, WithoutAGuideTheListsSayWhyAndARetryLoadsAgain) {
  Fixture f;
  f.server.set("/page", "<html><body>Log in</body></html>", 200, 0, "text/html");
  auto guide = f.start("/page");
  ASSERT_TRUE(f.loaded());
  EXPECT_EQ(f.messages.first(), std::make_pair(WM_GUIDE_NOWPLAYING, uintptr_t{0}));
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide->GetNowPlaying(rows, true), GuideSource::kNotLoaded);
  EXPECT_NE(toUtf8(guide->statusText()).find("could not be read"), std::string::npos) << toUtf8(guide->statusText());

  f.server.set("/page", kGuide);
  EXPECT_EQ(guide->GetNowPlaying(rows, false), GuideSource::kDownloadStarted) << "a retry";
  ASSERT_TRUE(f.loaded(10));
  EXPECT_EQ(guide->GetNowPlaying(rows, true), GuideSource::kRows);

  SourceSettings bare;
  PlaylistGuide::Options options;
  PlaylistGuide noGuide(bare, options);
  noGuide.start(&f.messages, std::make_shared<PlaylistCatalogue>(PlaylistParser::parse("#EXTM3U\nhttp://x/1\n", "/")));
  EXPECT_EQ(noGuide.GetNowPlaying(rows, false), GuideSource::kNothing);
  EXPECT_EQ(toUtf8(noGuide.statusText()), "The playlist names no guide; add one in the source's settings.");
}

}  // namespace
}  // namespace tembra
