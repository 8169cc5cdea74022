#include "source/XtreamSource.h"

#include "source/AccountGuide.h"
#include "source/SourceFactory.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

#include "LoopbackHttpServer.h"
#include "TempDir.h"
#include "platform/MessageTarget.h"
#include "platform/TestFiles.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

constexpr const char* kAccount =
    R"({"user_info": {"auth": 1, "status": "Active", "exp_date": null, "allowed_output_formats": ["ts"]}})";
constexpr const char* kCategories = R"([{"category_id": "1", "category_name": "News"},
                                        {"category_id": 2, "category_name": "Sport"}])";
constexpr const char* kStreams = R"([
  {"num": 1, "name": "One", "stream_id": 11, "category_id": "2", "epg_channel_id": "one",
   "tv_archive": 1, "tv_archive_duration": "5"},
  {"num": "2", "name": "Two", "stream_id": "12", "category_id": "1", "stream_icon": "http://l/2.png"},
  {"name": "Lost", "stream_id": 13, "category_id": "99", "tv_archive": "1"}
])";

// An account's API on loopback: player_api.php answers by action, and
// checks the credentials as servers do (auth 0 for wrong ones).
class AccountServer {
 public:
  AccountServer() {
    server_.http().Get("/player_api.php", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard g(lock_);
      ++requests_;
      if (req.get_param_value("username") != "me" || req.get_param_value("password") != "p&w") {
        res.set_content(R"({"user_info": {"auth": 0}})", "application/json");
        return;
      }
      const auto it = replies_.find(req.get_param_value("action"));
      res.set_content(it == replies_.end() ? "[]" : it->second, "application/json");
    });
    set("", kAccount);
    set("get_live_categories", kCategories);
    set("get_live_streams", kStreams);
    server_.start();
  }
  void stop() { server_.stop(); }
  void set(const std::string& action, std::string body) {
    std::lock_guard g(lock_);
    replies_[action] = std::move(body);
  }
  int requests() const {
    std::lock_guard g(lock_);
    return requests_;
  }
  std::string url() const { return server_.url(); }

 private:
  mutable std::mutex lock_;
  std::map<std::string, std::string> replies_;  // guarded by lock_
  int requests_ = 0;                             // guarded by lock_
  test::LoopbackHttpServer server_;              // last: it stops before what its handlers use goes
};

class CountingTarget : public MessageTarget {
 public:
  void post(uint32_t, uintptr_t, intptr_t) override { ++posted_; }
  intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
  bool alive() const override { return true; }
  int count() const { return posted_.load(); }

 private:
  std::atomic<int> posted_{0};
};

struct Fixture {
  AccountServer server;
  test::TempDir cache{"xtreamcache"};
  CountingTarget target;

  std::unique_ptr<XtreamSource> make(std::string user = "me", std::string password = "p&w") {
    SourceSettings settings;
    settings.id = "4";
    settings.kind = SourceKind::Xtream;
    settings.server = server.url() + "/";
    settings.user = std::move(user);
    settings.password = std::move(password);
    XtreamSource::Options options;
    options.cacheFolder = cache.path();
    options.noData = std::chrono::seconds(2);
    return std::make_unique<XtreamSource>(settings, options);
  }
  static std::vector<std::string> names(const ChannelSource& source, std::u16string_view group) {
    std::vector<std::string> out;
    for (const SourceChannelRef& c : source.channels(group)) out.push_back(toUtf8(c->name));
    return out;
  }
};

TEST(XtreamSource, AnAccountsChannelsAreListedByCategoryAndPlay) {
  Fixture f;
  auto source = f.make();
  source->load(&f.target, WM_CATALOGUE_LOADED);
  ASSERT_EQ(source->catalogueLoaded(), 1) << toUtf8(source->statusText());
  EXPECT_EQ(toUtf8(source->statusText()), "");
  std::vector<std::string> groups;
  for (const SourceGroup& g : source->groups()) groups.push_back(toUtf8(g.name));
  EXPECT_EQ(groups, (std::vector<std::string>{"News", "Sport"}));
  EXPECT_EQ(f.names(*source, ChannelSource::kAllGroups), (std::vector<std::string>{"One", "Two", "Lost"}));
  EXPECT_EQ(f.names(*source, u"Sport"), (std::vector<std::string>{"One"}));
  const SourceChannelRef one = source->findChannel(u"0");
  ASSERT_TRUE(one);
  EXPECT_EQ(one->number, 1);
  EXPECT_EQ(one->catchupDays, 5);
  EXPECT_EQ(source->findChannel(u"1")->catchupDays, std::nullopt);
  EXPECT_EQ(source->findChannel(u"1")->logo, "http://l/2.png");
  EXPECT_EQ(source->findChannel(u"2")->catchupDays, 0) << "an archive of unsaid length";

  EXPECT_EQ(toUtf8(source->streamFor(u"0")->address), f.server.url() + "/live/me/p%26w/11.ts");
  // 2023-11-14 22:13:20 UTC for an hour.
  const std::optional<StreamRequest> past = source->catchupFor(u"0", 1700000000, 1700003600);
  ASSERT_TRUE(past);
  EXPECT_EQ(toUtf8(past->address), f.server.url() + "/timeshift/me/p%26w/60/2023-11-14:22-13/11.ts");
  EXPECT_EQ(toUtf8(past->name), "One");
  EXPECT_FALSE(source->catchupFor(u"1", 1700000000, 1700003600)) << "no archive";
  EXPECT_FALSE(source->catchupFor(u"0", 1700003600, 1700000000)) << "an end before the start";
  EXPECT_FALSE(source->catchupFor(u"9", 1700000000, 1700003600));

  // The cache is the user's alone and never holds the password.
  struct stat info {};
  ASSERT_EQ(::stat(f.cache.file("streams.json").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  for (const char* file : {"account", "categories.json", "streams.json", "formats"})
    EXPECT_EQ(test::readFile(f.cache.file(file)).find("p&w"), std::string::npos) << file;
}

TEST(XtreamSource, WithTheServerDownTheCacheShowsTheChannelsOfThatAccountOnly) {
  Fixture f;
  f.make()->load(&f.target, WM_CATALOGUE_LOADED);
  f.server.stop();

  auto source = f.make();
  source->load(&f.target, WM_CATALOGUE_LOADED);
  EXPECT_EQ(source->catalogueLoaded(), 1) << "at once, from the cache";
  EXPECT_EQ(f.names(*source, ChannelSource::kAllGroups).size(), 3u);
  ASSERT_TRUE(test::eventually([&] { return f.target.count() == 1; }));
  EXPECT_NE(toUtf8(source->statusText()).find("could not be reached"), std::string::npos);
  EXPECT_NE(toUtf8(source->statusText()).find("The channels shown are from the cache."), std::string::npos);
  EXPECT_TRUE(source->fromCache());

  auto other = f.make("someone else");
  other->load(&f.target, WM_CATALOGUE_LOADED);
  EXPECT_EQ(other->catalogueLoaded(), 0) << "another user's cache is not this one's";
}

TEST(XtreamSource, AFailedRefreshKeepsTheLastGoodListAndSaysWhy) {
  Fixture f;
  auto source = f.make();
  source->load(&f.target, WM_CATALOGUE_LOADED);
  ASSERT_EQ(source->catalogueLoaded(), 1);
  const struct {
    const char* action;
    const char* reply;
    const char* words;
  } cases[] = {
      {"", R"({"user_info": {"auth": 0}})", "The server refused the account"},
      {"", R"({"user_info": {"auth": 1, "status": "Expired"}})", "The account has expired."},
      {"get_live_streams", "<html>busy</html>", "bad answer to the list of channels: the server's answer is not JSON"},
      {"get_live_streams", R"({"1": {"name": "x", "stream_id": 1}})",
       "bad answer to the list of channels: the server's answer is not a list"},
      {"get_live_categories", "null", "bad answer to the list of categories"},
  };
  int reports = f.target.count();
  for (const auto& c : cases) {
    f.server.set(c.action, c.reply);
    ASSERT_TRUE(source->refresh());
    ASSERT_TRUE(test::eventually([&] { return f.target.count() == reports + 1; })) << c.reply;
    reports = f.target.count();
    const std::string status = toUtf8(source->statusText());
    EXPECT_NE(status.find(c.words), std::string::npos) << status;
    EXPECT_NE(status.find("The last good list is shown."), std::string::npos) << status;
    EXPECT_EQ(f.names(*source, ChannelSource::kAllGroups).size(), 3u);
    f.server.set("", kAccount);
    f.server.set("get_live_categories", kCategories);
    f.server.set("get_live_streams", kStreams);
  }
  // A good list replaces the last one.
  f.server.set("get_live_streams", R"([{"name": "Four", "stream_id": 4}])");
  ASSERT_TRUE(source->refresh());
  ASSERT_TRUE(test::eventually([&] { return f.target.count() == reports + 1; }));
  EXPECT_EQ(f.names(*source, ChannelSource::kAllGroups), (std::vector<std::string>{"Four"}));
  EXPECT_EQ(toUtf8(source->statusText()), "");
}

TEST(XtreamSource, APasswordTheSecretStoreCouldNotGiveIsSaidSoAndNotSent) {
  Fixture f;
  SourceSettings settings;
  settings.id = "5";
  settings.kind = SourceKind::Xtream;
  settings.server = f.server.url();
  settings.user = "me";
  settings.passwordStored = true;
  XtreamSource source(settings, {});
  source.load(&f.target, WM_CATALOGUE_LOADED);
  EXPECT_EQ(source.catalogueLoaded(), 0);
  EXPECT_EQ(toUtf8(source.statusText()), "The account's password could not be read from the desktop's secret store.");
  EXPECT_EQ(f.server.requests(), 0);
}

TEST(AccountGuide, ItsMessagesNeverShowThePassword) {
  const std::string text =
      "The guide http://s/xmltv.php?username=demo&password=p%26w%20x could not be downloaded: HTTP 500. "
      "The guide http://s/xmltv.php?username=demo&password=p%26w%20x could not be read.";
  EXPECT_EQ(AccountGuide::hidden(text, "p&w x"),
            "The guide http://s/xmltv.php?username=demo&password=*** could not be downloaded: HTTP 500. "
            "The guide http://s/xmltv.php?username=demo&password=*** could not be read.");
  EXPECT_EQ(AccountGuide::hidden("password=d and the word d", "d"), "password=*** and the word d");
  EXPECT_EQ(AccountGuide::hidden(text, ""), text);
}

TEST(XtreamSource, TheGuidesFailureIsToldWithoutThePassword) {
  Fixture f;
  auto source = f.make();
  source->load(&f.target, WM_CATALOGUE_LOADED);
  ASSERT_EQ(source->catalogueLoaded(), 1);
  source->createGuide(&f.target);  // xmltv.php is not served: a 404
  ASSERT_NE(source->guide(), nullptr);
  ASSERT_TRUE(test::eventually([&] { return !source->guide()->statusText().empty(); }));
  const std::string status = toUtf8(source->guide()->statusText());
  EXPECT_NE(status.find("xmltv.php?username=me&password=*** could not be downloaded"), std::string::npos) << status;
  EXPECT_EQ(status.find("p%26w"), std::string::npos) << status;
}

TEST(SourceFactory, AnAccountBecomesAnAccountSourceWithItsOwnCache) {
  Fixture f;
  SourceSettings settings;
  settings.id = "12";
  settings.kind = SourceKind::Xtream;
  settings.server = f.server.url();
  settings.user = "me";
  settings.password = "p&w";
  const std::shared_ptr<ChannelSource> source = SourceFactory::make(settings);
  ASSERT_NE(dynamic_cast<XtreamSource*>(source.get()), nullptr);
  EXPECT_NE(SourceFactory::cacheFolderOf(settings).find("/tembra/sources/12"), std::string::npos);
}

}  // namespace
}  // namespace tembra
