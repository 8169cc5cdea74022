#include "platform/ContentFetch.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "Deflate.h"
#include "LoopbackHttpServer.h"
#include "platform/ReplyServer.h"
#include "TempDir.h"
#include "platform/TestFiles.h"

namespace tembra {
namespace {

std::string bigText() {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "#EXTINF:-1 tvg-id=\"c" + std::to_string(i) + "\",Channel\n";
  return text;
}

FetchRequest requestFor(std::string location) {
  FetchRequest request;
  request.location = std::move(location);
  request.limits.connect = std::chrono::milliseconds(2000);
  request.limits.noData = std::chrono::milliseconds(1000);
  return request;
}

class ContentFetchFiles : public ::testing::Test {
 protected:
  std::filesystem::path write(const std::string& name, std::string_view bytes) {
    std::filesystem::path path = dir_.file(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  test::TempDir dir_{"fetch"};
};

TEST_F(ContentFetchFiles, PlainGzipAndConcatenatedGzipGiveTheSameText) {
  const std::string text = bigText();
  const std::string half = text.substr(0, text.size() / 2);
  struct Case {
    const char* name;
    std::string bytes;
    bool gzip;
  } cases[] = {
      {"plain.m3u", text, false},
      {"one.m3u.gz", test::gzipped(text), true},
      {"two.m3u.gz", test::gzipped(half) + test::gzipped(text.substr(half.size())), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string content;
    FetchResult result = fetchWhole(requestFor(write(c.name, c.bytes).string()), {}, content);
    EXPECT_TRUE(result.ok()) << result.words();
    EXPECT_EQ(result.gzip, c.gzip);
    EXPECT_EQ(content, text);
    EXPECT_EQ(result.contentBytes, text.size());
  }
}

TEST_F(ContentFetchFiles, FileUrlsAndOneByteFilesAreRead) {
  std::filesystem::path path = write("a b.txt", "x");
  std::string content;
  EXPECT_TRUE(fetchWhole(requestFor("file://" + dir_.path() + "/a%20b.txt"), {}, content).ok());
  EXPECT_EQ(content, "x");
  EXPECT_EQ(fetchWhole(requestFor("file://otherhost/a"), {}, content).error, FetchError::BadAddress);
  EXPECT_EQ(fetchWhole(requestFor("ftp://host/a"), {}, content).error, FetchError::BadAddress);
  EXPECT_EQ(fetchWhole(requestFor(""), {}, content).error, FetchError::BadAddress);
}

TEST_F(ContentFetchFiles, FailuresOfFilesAreTold) {
  std::string content;
  FetchResult missing = fetchWhole(requestFor(dir_.file("none.m3u")), {}, content);
  EXPECT_EQ(missing.error, FetchError::NotFound);
  EXPECT_EQ(missing.words(), "the file does not exist");
  EXPECT_EQ(fetchWhole(requestFor(dir_.path()), {}, content).error, FetchError::Unreadable);

  const std::string packed = test::gzipped(bigText());
  FetchResult cut = fetchWhole(requestFor(write("cut.gz", packed.substr(0, packed.size() / 2)).string()), {}, content);
  EXPECT_EQ(cut.error, FetchError::Truncated);
  EXPECT_FALSE(content.empty()) << "what arrived whole is still handed on";
  EXPECT_EQ(bigText().compare(0, content.size(), content), 0);

  std::string damaged = packed;
  for (size_t i = 20; i < 60; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  EXPECT_EQ(fetchWhole(requestFor(write("bad.gz", damaged).string()), {}, content).error, FetchError::BadGzip);
}

TEST_F(ContentFetchFiles, TheCapCountsInflatedBytesSoABombStops) {
  const std::string zeros(8u << 20, '\0');
  FetchRequest request = requestFor(write("bomb.gz", test::gzipped(zeros)).string());
  request.limits.maxBytes = 1u << 20;
  std::string content;
  FetchResult result = fetchWhole(request, {}, content);
  EXPECT_EQ(result.error, FetchError::TooLarge);
  EXPECT_LE(content.size(), request.limits.maxBytes);
  EXPECT_EQ(result.words(), "it is too large (larger than 1 MB)");
}

TEST_F(ContentFetchFiles, ASinkThatStopsEndsTheFetch) {
  int pieces = 0;
  FetchResult result = fetchContent(requestFor(write("p", std::string(1u << 20, 'a')).string()), {},
                                    [&pieces](std::string_view) { return ++pieces < 2; });
  EXPECT_EQ(result.error, FetchError::Cancelled);
  EXPECT_EQ(pieces, 2);
}

TEST(ContentFetchHttp, BodiesPlainAndGzipAndStatusFailuresInWords) {
  test::ReplyServer server;
  const std::string text = bigText();
  server.set("/list.m3u", text);
  server.set("/list.m3u.gz", test::gzipped(text));
  server.set("/gone", "missing", 404);
  server.set("/broken", "oops", 500);
  for (const char* path : {"/list.m3u", "/list.m3u.gz"}) {
    std::string content;
    FetchResult result = fetchWhole(requestFor(server.url(path)), {}, content);
    EXPECT_TRUE(result.ok()) << path << ": " << result.words();
    EXPECT_EQ(result.httpStatus, 200);
    EXPECT_EQ(content, text) << path;
  }
  std::string content;
  FetchResult gone = fetchWhole(requestFor(server.url("/gone")), {}, content);
  EXPECT_EQ(gone.error, FetchError::HttpStatus);
  EXPECT_EQ(gone.words(), "HTTP 404 Not Found");
  EXPECT_TRUE(content.empty()) << "an error page is not content";
  EXPECT_EQ(fetchWhole(requestFor(server.url("/broken")), {}, content).words(), "HTTP 500 Internal Server Error");
}

TEST(ContentFetchHttp, SilenceRefusalAndCapAreTheirOwnFailures) {
  test::ReplyServer server;
  server.set("/silent", "late", 200, 2500);
  server.set("/big", std::string(3u << 20, 'x'));
  std::string content;
  FetchResult silent = fetchWhole(requestFor(server.url("/silent")), {}, content);
  EXPECT_EQ(silent.error, FetchError::Timeout);
  EXPECT_EQ(silent.words(), "it took too long (the server stopped sending)");

  FetchRequest capped = requestFor(server.url("/big"));
  capped.limits.maxBytes = 1u << 20;
  EXPECT_EQ(fetchWhole(capped, {}, content).error, FetchError::TooLarge);

  const std::string closed = server.url("/big");
  server.stop();
  EXPECT_EQ(fetchWhole(requestFor(closed), {}, content).error, FetchError::Connect);
}

TEST(ContentFetchHttp, AStopRequestEndsAHangingDownload) {
  test::ReplyServer server;
  server.set("/hang", "late", 200, 2500);
  FetchRequest request = requestFor(server.url("/hang"));
  request.limits.noData = std::chrono::milliseconds(30000);
  std::stop_source stop;
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.request_stop();
  });
  std::string content;
  FetchResult result = fetchWhole(request, stop.get_token(), content);
  stopper.join();
  // Without the stop it would end after 2.5 s with the body, never as Cancelled.
  EXPECT_EQ(result.error, FetchError::Cancelled);
  EXPECT_TRUE(content.empty());
}

TEST(ContentFetchHttp, ARawCopyIsKeptOnlyWhenTheWholeContentArrived) {
  test::ReplyServer server;
  const std::string packed = test::gzipped(bigText());
  server.set("/guide.gz", packed);
  server.set("/cut.gz", packed.substr(0, packed.size() / 2));
  test::TempDir dir("fetchcopy");
  FetchRequest request = requestFor(server.url("/guide.gz"));
  request.copyTo = dir.file("guide.cache");
  std::string content;
  ASSERT_TRUE(fetchWhole(request, {}, content).ok());
  EXPECT_EQ(test::readFile(request.copyTo), packed) << "the copy holds the bytes as they came";

  request.location = server.url("/cut.gz");
  EXPECT_EQ(fetchWhole(request, {}, content).error, FetchError::Truncated);
  request.location = server.url("/missing");
  EXPECT_EQ(fetchWhole(request, {}, content).error, FetchError::HttpStatus);
  EXPECT_EQ(test::readFile(request.copyTo), packed) << "a failed fetch leaves the last good copy";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary files left";
}

TEST(ContentFetchHttp, UserAgentAndReferrerReachTheServer) {
  std::string agent, referrer;
  test::LoopbackHttpServer server;
  server.http().Get("/p", [&](const httplib::Request& req, httplib::Response& res) {
    agent = req.get_header_value("User-Agent");
    referrer = req.get_header_value("Referer");
    res.set_content("ok", "text/plain");
  });
  server.start();
  FetchRequest request = requestFor(server.url("/p"));
  request.userAgent = "Box/1.0";
  request.referrer = "http://portal/";
  std::string content;
  EXPECT_TRUE(fetchWhole(request, {}, content).ok());
  server.stop();
  EXPECT_EQ(agent, "Box/1.0");
  EXPECT_EQ(referrer, "http://portal/");
}

}  // namespace
}  // namespace tembra
