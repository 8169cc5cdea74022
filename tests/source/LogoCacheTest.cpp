// The logos' disk cache against a logo server on loopback: what is stored
// and reused (also by a second cache over the same folder, as on the next
// start), what is refused, and the folder's bound.
#include "source/LogoCache.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <filesystem>

#include "LoopbackHttpServer.h"
#include "TempDir.h"

namespace tembra {
namespace {

namespace fs = std::filesystem;
using Status = LogoCache::Status;
using namespace std::string_literals;

std::string png(size_t size, char fill) {
  std::string b = "\x89PNG\r\n\x1a\n";
  b.resize(size, fill);
  return b;
}

// GET /ok/N.png: a PNG of 1000 bytes; /big: 2 MB; /html: a web page;
// /missing: 404. Counts the requests.
class LogoServer {
 public:
  LogoServer() {
    server_.http().Get(R"(/ok/(\d+)\.png)", [this](const httplib::Request& req, httplib::Response& res) {
      ++hits;
      res.set_content(png(1000, static_cast<char>('a' + std::stoi(req.matches[1]) % 26)), "image/png");
    });
    server_.http().Get("/big", [this](const httplib::Request&, httplib::Response& res) {
      ++hits;
      res.set_content(png(2u << 20, 'x'), "image/png");
    });
    server_.http().Get("/html", [this](const httplib::Request&, httplib::Response& res) {
      ++hits;
      res.set_content("<html><body>Not found</body></html>", "text/html");
    });
    server_.start();
  }
  std::string url(const std::string& path) const { return server_.url(path); }

  std::atomic<int> hits{0};

 private:
  test::LoopbackHttpServer server_;  // last: it stops before what its handlers use goes
};

size_t filesIn(const std::string& folder) {
  size_t n = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) ++n;
  return n;
}

TEST(LogoCache, FileNamesAreStableHashesOfTheAddress) {
  const std::string a = LogoCache::fileNameFor("http://x/a.png");
  EXPECT_EQ(a, LogoCache::fileNameFor("http://x/a.png"));
  EXPECT_NE(a, LogoCache::fileNameFor("http://x/b.png"));
  EXPECT_NE(a, LogoCache::fileNameFor("http://x/a.pn"));
  EXPECT_EQ(a.size(), 32u + 5u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), 32u) << a;
  // Nothing of the address reaches the file system.
  EXPECT_EQ(LogoCache::fileNameFor("../../etc/passwd").find('/'), std::string::npos);
}

TEST(LogoCache, KnowsPicturesByTheirFirstBytes) {
  const struct {
    std::string bytes;
    bool picture;
  } cases[] = {
      {png(20, 0), true},
      {"\xff\xd8\xff\xe0 jpeg", true},
      {"GIF89a......", true},
      {"GIF87a......", true},
      {"RIFF\x10\0\0\0WEBPVP8 "s, true},
      {std::string("BM") + std::string(40, '\0'), true},
      {std::string("\0\0\1\0\1\0\x10\x10", 8), true},
      {"", false},
      {"\x89PN", false},
      {"<html>", false},
      {"<svg xmlns=\"http://www.w3.org/2000/svg\"/>", false},
      {"RIFF\x10\0\0\0WAVEfmt "s, false},
      {"BM", false},
  };
  for (const auto& c : cases) EXPECT_EQ(LogoCache::looksLikePicture(c.bytes), c.picture) << c.bytes;
}

TEST(LogoCache, DownloadsOnceAndASecondCacheOverTheFolderReusesIt) {
  LogoServer server;
  test::TempDir dir("logo-cache");
  const std::string folder = dir.file("logos");
  const std::string url = server.url("/ok/1.png");
  {
    LogoCache cache(folder);
    const LogoCache::Result first = cache.get(url);
    ASSERT_EQ(first.status, Status::Ok) << first.reason;
    EXPECT_FALSE(first.fromDisk);
    EXPECT_EQ(first.bytes, png(1000, 'b'));
    EXPECT_TRUE(fs::exists(folder + "/" + LogoCache::fileNameFor(url)));
    const LogoCache::Result again = cache.get(url);
    EXPECT_TRUE(again.fromDisk);
    EXPECT_EQ(again.bytes, first.bytes);
  }
  LogoCache next(folder);
  const LogoCache::Result reused = next.get(url);
  ASSERT_EQ(reused.status, Status::Ok);
  EXPECT_TRUE(reused.fromDisk);
  EXPECT_EQ(reused.bytes, png(1000, 'b'));
  EXPECT_EQ(next.stored(url), png(1000, 'b'));
  EXPECT_EQ(server.hits.load(), 1) << "the next start reads the logo from the disk";
}

TEST(LogoCache, RefusesWhatIsNotASmallPictureAndStoresNothingOfIt) {
  LogoServer server;
  test::TempDir dir("logo-cache");
  LogoCache::Limits limits;
  limits.maxLogoBytes = 64u << 10;
  LogoCache cache(dir.path(), limits);
  const struct {
    std::string url;
    Status status;
  } cases[] = {
      {server.url("/big"), Status::TooLarge},
      {server.url("/html"), Status::NotPicture},
      {server.url("/missing.png"), Status::Failed},
      {"http://127.0.0.1:1/refused.png", Status::Failed},
      {"gopher://host/logo.png", Status::BadAddress},
      {"", Status::BadAddress},
  };
  for (const auto& c : cases) {
    const LogoCache::Result r = cache.get(c.url);
    EXPECT_EQ(r.status, c.status) << c.url << ": " << r.reason;
    EXPECT_TRUE(r.bytes.empty()) << c.url;
    EXPECT_FALSE(cache.stored(c.url).has_value()) << c.url;
  }
  EXPECT_EQ(filesIn(dir.path()), 0u);

  // A damaged file in the cache (a picture no longer) is fetched again.
  const std::string url = server.url("/ok/3.png");
  ASSERT_EQ(cache.get(url).status, Status::Ok);
  std::FILE* f = std::fopen((dir.path() + "/" + LogoCache::fileNameFor(url)).c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("garbage", f);
  std::fclose(f);
  const int before = server.hits.load();
  const LogoCache::Result again = cache.get(url);
  EXPECT_EQ(again.status, Status::Ok);
  EXPECT_FALSE(again.fromDisk);
  EXPECT_EQ(server.hits.load(), before + 1);
}

TEST(LogoCache, StaysWithinItsTotalDroppingTheLogosUsedLongestAgo) {
  LogoServer server;
  test::TempDir dir("logo-cache");
  LogoCache::Limits limits;
  limits.maxTotalBytes = 10 * 1000;  // ten logos of the server's
  LogoCache cache(dir.path(), limits);
  const auto url = [&](int i) { return server.url("/ok/" + std::to_string(i) + ".png"); };
  const auto age = [&](int i, int secondsAgo) {
    fs::last_write_time(dir.path() + "/" + LogoCache::fileNameFor(url(i)),
                        fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
  };
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(cache.get(url(i)).status, Status::Ok);
    age(i, 1000 - i);  // logo 0 the oldest
  }
  EXPECT_EQ(cache.totalBytes(), 10000u);
  // Logo 0 is used again: now logo 1 is the one used longest ago.
  EXPECT_TRUE(cache.get(url(0)).fromDisk);

  ASSERT_EQ(cache.get(url(10)).status, Status::Ok);
  EXPECT_LE(cache.totalBytes(), limits.maxTotalBytes);
  EXPECT_TRUE(cache.stored(url(0)).has_value()) << "used lately";
  EXPECT_TRUE(cache.stored(url(10)).has_value()) << "the newest";
  EXPECT_FALSE(cache.stored(url(1)).has_value()) << "used longest ago";
  EXPECT_FALSE(cache.stored(url(2)).has_value());
  EXPECT_TRUE(cache.stored(url(9)).has_value());

  // A second program's cache with a smaller bound trims the same folder.
  LogoCache::Limits small = limits;
  small.maxTotalBytes = 3000;
  LogoCache other(dir.path(), small);
  other.trim();
  EXPECT_LE(other.totalBytes(), 3000u);
  EXPECT_TRUE(other.stored(url(10)).has_value());
}

TEST(LogoCache, ManyThreadsFetchingTheSameAndOtherLogosGetWholeFiles) {
  LogoServer server;
  test::TempDir dir("logo-cache");
  LogoCache cache(dir.path());
  std::vector<std::thread> threads;
  std::atomic<int> bad{0};
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 8; ++i) {
        const int n = (i + t) % 5;
        const LogoCache::Result r = cache.get(server.url("/ok/" + std::to_string(n) + ".png"));
        if (r.status != Status::Ok || r.bytes != png(1000, static_cast<char>('a' + n))) ++bad;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(filesIn(dir.path()), 5u) << "no temporary file is left behind";
}

}  // namespace
}  // namespace tembra
