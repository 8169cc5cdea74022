#include "source/PlaylistSource.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/MessageTarget.h"
#include "platform/ReplyServer.h"
#include "platform/TestFiles.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

constexpr const char* kPlaylist =
    "#EXTM3U\n"
    "#EXTINF:-1 tvg-id=\"one\" group-title=\"News;Local\",One\n"
    "http://tv.example/one.ts\n"
    "#EXTINF:-1 tvg-id=\"two\" group-title=\"Sport\" http-user-agent=\"Box/1\",Two\n"
    "#EXTVLCOPT:http-referrer=http://portal/\n"
    "two.ts\n"
    "#EXTINF:-1,Three\n"
    "http://tv.example/three.ts\n";

// Counts what the source posts, from its threads.
class CountingTarget : public MessageTarget {
 public:
  void post(uint32_t message, uintptr_t, intptr_t) override {
    std::lock_guard g(lock_);
    posted_.push_back(message);
  }
  intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
  bool alive() const override { return true; }
  size_t count() const {
    std::lock_guard g(lock_);
    return posted_.size();
  }

 private:
  mutable std::mutex lock_;
  std::vector<uint32_t> posted_;
};

struct Fixture {
  test::ReplyServer server;
  test::TempDir cache{"srccache"};
  CountingTarget target;

  std::unique_ptr<PlaylistSource> make(const std::string& path, std::string userAgent = "") {
    SourceSettings settings;
    settings.id = "1";
    settings.playlist = server.url(path);
    settings.userAgent = std::move(userAgent);
    PlaylistSource::Options options;
    options.cacheFolder = cache.path();
    options.playlistLimits.noData = std::chrono::seconds(1);
    return std::make_unique<PlaylistSource>(settings, options);
  }
  std::vector<std::string> names(const ChannelSource& source, std::u16string_view group) {
    std::vector<std::string> out;
    for (const SourceChannelRef& c : source.channels(group)) out.push_back(toUtf8(c->name));
    return out;
  }
};

TEST(PlaylistSource, ADownloadedPlaylistIsListedByGroupAndPlaysWithItsHeaders) {
  Fixture f;
  f.server.set("/list.m3u", kPlaylist);
  auto source = f.make("/list.m3u", "Source/1");
  source->load(&f.target, WM_CATALOGUE_LOADED);
  ASSERT_EQ(source->catalogueLoaded(), 1) << toUtf8(source->statusText());
  EXPECT_TRUE(source->statusText().empty());
  std::vector<std::string> groups;
  for (const SourceGroup& g : source->groups()) groups.push_back(toUtf8(g.name));
  EXPECT_EQ(groups, (std::vector<std::string>{"News", "Local", "Sport"}));
  EXPECT_EQ(f.names(*source, ChannelSource::kAllGroups), (std::vector<std::string>{"One", "Two", "Three"}));
  EXPECT_EQ(f.names(*source, u"Local"), (std::vector<std::string>{"One"}));
  EXPECT_TRUE(f.names(*source, u"Nope").empty());

  const std::optional<StreamRequest> two = source->streamFor(u"1");
  ASSERT_TRUE(two);
  EXPECT_EQ(toUtf8(two->address), f.server.url("/two.ts")) << "relative to the playlist's URL";
  EXPECT_EQ(two->userAgent, "Box/1");
  EXPECT_EQ(two->referrer, "http://portal/");
  EXPECT_EQ(source->streamFor(u"2")->userAgent, "Source/1") << "the source's agent where the entry names none";
  for (const char16_t* bad : {u"3", u"-1", u"01", u"", u"x"}) EXPECT_FALSE(source->streamFor(bad)) << toUtf8(bad);
  EXPECT_EQ(test::readFile(f.cache.file("playlist.m3u")), kPlaylist);
}

TEST(PlaylistSource, WithTheProviderDownTheCacheShowsTheChannelsAndSaysSo) {
  Fixture f;
  f.server.set("/list.m3u", kPlaylist);
  f.make("/list.m3u")->load(&f.target, WM_CATALOGUE_LOADED);

  f.server.set("/list.m3u", "gone", 404);
  auto source = f.make("/list.m3u");
  source->load(&f.target, WM_CATALOGUE_LOADED);
  EXPECT_EQ(source->catalogueLoaded(), 1) << "at once, from the cache";
  EXPECT_EQ(f.names(*source, ChannelSource::kAllGroups).size(), 3u);
  ASSERT_TRUE(test::eventually([&] { return f.target.count() == 1; })) << "the background refresh reports its end";
  EXPECT_EQ(toUtf8(source->statusText()),
            "The playlist could not be downloaded: HTTP 404 Not Found. The channels shown are from the cache.");
  EXPECT_TRUE(source->fromCache());
}

TEST(PlaylistSource, FailuresLeaveNoCatalogueSayWhyAndNeverSpoilTheCache) {
  Fixture f;
  f.server.set("/page", "<html><body>Welcome</body></html>", 200, 0, "text/html");
  f.server.set("/silent", kPlaylist, 200, 3000);
  struct Case {
    const char* path;
    const char* words;
  } cases[] = {
      {"/missing", "The playlist could not be downloaded: HTTP 404 Not Found."},
      {"/page", "The playlist could not be opened: what arrived is not a playlist."},
      {"/silent", "The playlist could not be downloaded: it took too long (the server stopped sending)."},
  };
  for (const Case& c : cases) {
    auto source = f.make(c.path);
    source->load(&f.target, WM_CATALOGUE_LOADED);
    EXPECT_EQ(source->catalogueLoaded(), 0) << c.path;
    EXPECT_EQ(toUtf8(source->statusText()), c.words);
  }
  EXPECT_EQ(test::readFile(f.cache.file("playlist.m3u")), "") << "nothing but a playlist is cached";

  // Retry once the provider is back.
  f.server.set("/missing", kPlaylist);
  auto source = f.make("/missing");
  source->load(&f.target, WM_CATALOGUE_LOADED);
  ASSERT_EQ(source->catalogueLoaded(), 1);
}

TEST(PlaylistSource, ARefreshReportsOnceAndANewPlaylistReplacesTheOld) {
  Fixture f;
  f.server.set("/list.m3u", kPlaylist);
  auto source = f.make("/list.m3u");
  source->load(&f.target, WM_CATALOGUE_LOADED);
  f.server.set("/list.m3u", "#EXTM3U\n#EXTINF:-1,Four\nhttp://tv.example/four.ts\n", 200, 300);
  ASSERT_TRUE(source->refresh());
  EXPECT_TRUE(source->refresh()) << "a second request while one runs is taken as running";
  ASSERT_TRUE(test::eventually([&] { return f.target.count() >= 1; }));
  EXPECT_EQ(f.names(*source, ChannelSource::kAllGroups), (std::vector<std::string>{"Four"}));
  EXPECT_EQ(f.target.count(), 1u);
}

TEST(PlaylistSource, ChannelsTellTheirCatchupAndItsAddress) {
  Fixture f;
  f.server.set("/catchup.m3u",
               "#EXTM3U catchup-correction=\"1\"\n"
               "#EXTINF:-1 catchup=\"append\" catchup-days=\"7\" catchup-source=\"?from={utc}&len={duration}\","
               "Seven\nhttp://tv.example/seven.ts\n"
               "#EXTINF:-1 timeshift=\"2\",Old style\nhttp://tv.example/old.ts?k=v\n"
               "#EXTINF:-1 catchup=\"xc\",Unsaid\nhttp://tv.example/live/u/p/5.ts\n"
               "#EXTINF:-1,None\nhttp://tv.example/none.ts\n");
  auto source = f.make("/catchup.m3u", "Agent/1");
  source->load(&f.target, WM_CATALOGUE_LOADED);
  ASSERT_EQ(source->catalogueLoaded(), 1) << toUtf8(source->statusText());
  EXPECT_EQ(source->findChannel(u"0")->catchupDays, 7);
  EXPECT_EQ(source->findChannel(u"1")->catchupDays, 2);
  EXPECT_EQ(source->findChannel(u"2")->catchupDays, 0) << "catch-up for a span it does not say";
  EXPECT_EQ(source->findChannel(u"3")->catchupDays, std::nullopt);

  // 2023-11-14 22:13:20 UTC for half an hour; the header's correction of
  // an hour moves it.
  const std::optional<StreamRequest> seven = source->catchupFor(u"0", 1700000000, 1700001800);
  ASSERT_TRUE(seven);
  EXPECT_EQ(toUtf8(seven->address), "http://tv.example/seven.ts?from=1700003600&len=1800");
  EXPECT_EQ(seven->userAgent, "Agent/1");
  EXPECT_EQ(toUtf8(seven->name), "Seven");
  EXPECT_EQ(toUtf8(source->catchupFor(u"2", 1700000000, 1700001800)->address),
            "http://tv.example/timeshift/u/p/30/2023-11-14:23-13/5.ts");
  EXPECT_FALSE(source->catchupFor(u"3", 1700000000, 1700001800));
  EXPECT_FALSE(source->catchupFor(u"0", 1700001800, 1700000000));
  EXPECT_FALSE(source->catchupFor(u"9", 1700000000, 1700001800));
}

}  // namespace
}  // namespace tembra
